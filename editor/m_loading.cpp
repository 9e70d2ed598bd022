// Loading the document's values into M: once, when the editor opens. Only the frame that will be
// shown is read; each item is read for the document slot and, while configurations are in use,
// for every configuration slot. On a document the editor has never saved into, only the
// properties it holds are read; the others keep their defaults.

#include "editor/m.h"

#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "editor/field_value.h"
#include "editor/get_next_look.h"
#include "editor/multi_column_combo_box.h"
#include "hostapi/host.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"

#include <QCheckBox>
#include <QListWidget>

namespace tavik {

namespace {

[[noreturn]] void outOfRange()
{
    throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
}

bool isType(const CPItem &item, const char *type)
{
    return item.type == QLatin1String(type);
}

// One run of the load over frame f.
class DocumentValueLoad {
public:
    DocumentValueLoad(M &editor, int f, bool onlyHeld)
        : m_editor(editor)
        , m_state(editor.state())
        , m_f(f)
        , m_slotCount(editor.configsList()->count())
        , m_onlyHeld(onlyHeld)
    {
    }

    void firstPass()
    {
        Frame &frame = m_state.frames[size_t(m_f)];
        for (size_t g = 0; g < frame.groups.size(); ++g)
            for (size_t i = 0; i < frame.groups[g].items.size(); ++i) {
                const CPItem &item = frame.groups[g].items[i];
                if (!item.inList && !isType(item, "composite"))
                    forEachLoadedSlot(item, [&](int c) { loadItem(item, c, true); });
            }
    }

    // Each linked list shares one place per slot; only the member its selector shows is read.
    void secondPass()
    {
        Frame &frame = m_state.frames[size_t(m_f)];
        for (size_t g = 0; g < frame.groups.size(); ++g) {
            Group &group = frame.groups[g];
            size_t i = 0;
            while (i < group.items.size()) {
                const CPItem &first = group.items[i];
                if (!first.inList) {
                    ++i;
                    continue;
                }
                const size_t span = memberCount(first);
                forEachLoadedSlot(first, [&](int c) { loadShownMember(group, i, span, c); });
                i += span;
            }
        }
    }

private:
    // Where the item lives decides which slots are read: the document slot unless it belongs
    // to the configurations only, the configuration slots unless it belongs to the document
    // only, and those only while configurations are in use.
    template <typename Work>
    void forEachLoadedSlot(const CPItem &item, Work work)
    {
        if (item.location != OnlyConfigurations)
            work(0);
        if (item.location != OnlyDocument && m_state.useConfigs)
            for (int c = 1; c < m_slotCount; ++c)
                work(c);
    }

    size_t memberCount(const CPItem &first) const
    {
        const CPRef &ref = first.listRef;
        if (ref.f_idx < 0 || size_t(ref.f_idx) >= m_state.frames.size())
            outOfRange();
        const Frame &frame = m_state.frames[size_t(ref.f_idx)];
        if (ref.g_idx < 0 || size_t(ref.g_idx) >= frame.groups.size())
            outOfRange();
        const Group &group = frame.groups[size_t(ref.g_idx)];
        if (ref.i_idx < 0 || size_t(ref.i_idx) >= group.lists.size())
            outOfRange();
        return std::max<size_t>(1, group.lists[size_t(ref.i_idx)].members.size());
    }

    // The configuration a slot's properties belong to: "" for the document, else the name that
    // the configuration list shows.
    QString configurationOf(int c) const
    {
        if (c == 0)
            return QString();
        QListWidgetItem *entry = m_editor.configsList()->item(c);
        if (!entry)
            outOfRange();
        return entry->text();
    }

    QString storedValue(const CPItem &item, int c) const
    {
        return activeDocument(m_state)->CustomInfo2(configurationOf(c), item.CPTag);
    }

    bool held(const CPItem &item, int c) const
    {
        return activeDocument(m_state)->GetCustomInfoNames2(configurationOf(c)).contains(item.CPTag);
    }

    void loadItem(const CPItem &item, int c, bool showLinkedMember)
    {
        QWidget *field = requiredSlotControl(item.valueControls, c);
        if (isType(item, "composite"))
            return;
        if (isType(item, "systemRead") && !item.isSerialNumber()) {
            // The system's value, whatever the document holds under the property's name.
            setFieldValue(field, item.defaultValue);
            m_editor.buildComposites(item.f_idx, item.g_idx, item.i_idx, c);
            return;
        }
        if (m_onlyHeld && !held(item, c))
            return;
        setFieldValue(field, storedValue(item, c));
        if (item.isSerialNumber()) {
            loadSerialNumberLook(item, field, c);
            return;
        }
        if (isType(item, "list")) {
            // A stored text that is none of the entries has no selection, and stays as the
            // field's text, so that Done gives it back unchanged unless the user picks an entry.
            if (item.isListTarget && showLinkedMember)
                m_editor.dispLinkedItem(item.f_idx, item.g_idx, item.i_idx, c);
        }
        m_editor.buildComposites(item.f_idx, item.g_idx, item.i_idx, c);
    }

    // A serial-number field that already holds a number shows its Get Next button struck
    // through: drawing another one would replace it.
    void loadSerialNumberLook(const CPItem &item, QWidget *field, int c)
    {
        const bool numbered = !fieldValue(field).isEmpty();
        showNumberDrawn(requiredSlotControl(item.unitsControls, c), numbered);
        if (numbered)
            m_editor.buildComposites(item.f_idx, item.g_idx, item.i_idx, c);
    }

    // While the selector has no selection the first member holds the list's place, and it is
    // the one read: saving takes that member too, so its stored value comes back unchanged.
    void loadShownMember(const Group &group, size_t i, size_t span, int c)
    {
        const CPItem &first = group.items[i];
        const int offset = std::max(0, comboOf(requiredSlotControl(first.labelControls, c))->listIndex());
        if (size_t(offset) >= span || i + size_t(offset) >= group.items.size())
            outOfRange();
        const CPItem &shown = group.items[i + size_t(offset)];
        loadItem(shown, c, false);
        requiredSlotControl(shown.valueControls, c)->raise();
    }

    M &m_editor;
    SharedState &m_state;
    int m_f;
    int m_slotCount;
    bool m_onlyHeld;
};

} // namespace

void M::loadDocumentValues(bool onlyHeld)
{
    m_state.runOk = false;
    try {
        // A stored frame that the configuration no longer has opens on the first frame, as the
        // configuration's own default frame does.
        if (m_state.defaultFrame >= int(m_state.frames.size()))
            m_state.defaultFrame = 0;
        const int f = m_state.defaultFrame;
        if (f < 0)
            outOfRange();

        DocumentValueLoad load(*this, f, onlyHeld);
        load.firstPass();
        load.secondPass();

        m_useConfigs->setChecked(m_state.useConfigs);
        m_frameSelect->setListIndex(f);
        if (m_state.useConfigs) {
            m_configsList->setCurrentRow(m_state.activeConfigIndex);
            colours::setBackColor(m_configsList, colours::WindowBackground);
            m_navigation->markSelectedConfig();
            m_configsList->setEnabled(true);
        } else {
            colours::setBackColor(m_configsList, colours::ButtonFace);
            m_configsList->setCurrentRow(0);
            m_configsList->setEnabled(false);
        }

        // The navigation handlers stand still while the program changes controls; these two
        // must run to show the frame just selected.
        m_form.suppressEvents = false;
        m_navigation->frameSelectChange();
        m_navigation->tabDisplayRefresh();
        m_form.suppressEvents = true;
        // Purge gives these two their keyboard stop back.
        m_frameSelect->setFocusPolicy(Qt::NoFocus);
        m_useConfigs->setFocusPolicy(Qt::NoFocus);
        m_state.runOk = true;
    } catch (const std::exception &e) {
        m_state.runOk = false;
        m_state.currentProc = QStringLiteral("CP Load");
        reportError(errorFromException(e));
    }
}

} // namespace tavik
