// The scratchpad commands of the editor: Save and Load work on the frame on screen and the
// configuration slot selected; Clear empties the whole scratchpad. The Scratch button loads on a
// left click and opens its menu on the right button.
//
// A successful Save, Load or Clear sets runOk, as the editor's other commands do, so that a failure
// reported earlier in the run is not shown once more when the editor closes. A list row takes
// part with the member its selector shows (the first member while it shows none), the same
// member Done writes.

#include "editor/m.h"

#include "addin/runtime_error.h"
#include "config/model.h"
#include "editor/field_value.h"
#include "editor/list_row.h"
#include "editor/multi_column_combo_box.h"
#include "editor/suppressed_events.h"
#include "platform/settings_store.h"
#include "transfer/scratchpad.h"

#include <QEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

namespace tavik {

namespace {

// A step on one field whose failure is skipped, so that one unreadable field does not stop the
// rest. Failures of the store are not skipped: they end the command and are reported.
template <typename Step>
void fieldStep(Step step)
{
    try {
        step();
    } catch (const SettingsError &) {
        throw;
    } catch (const std::exception &) {
    }
}

bool hasField(const CPItem &item, int c)
{
    return slotControl(item.valueControls, c) != nullptr;
}

class ScratchButtonFilter : public QObject {
public:
    ScratchButtonFilter(M &editor) : QObject(&editor), m_editor(editor) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::RightButton) {
                m_editor.scratchMouseDown(mouse->globalPosition().toPoint());
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    M &m_editor;
};

} // namespace

void M::connectScratchpad()
{
    connect(m_scratch, &QPushButton::clicked, this, [this] { loadScratch(); });
    m_scratch->installEventFilter(new ScratchButtonFilter(*this));
    for (QAction *action : m_saveScratchMenu->actions()) {
        if (action->objectName() == QLatin1String("save_scratch"))
            connect(action, &QAction::triggered, this, [this] { saveScratch(); });
        else if (action->objectName() == QLatin1String("load_scratch"))
            connect(action, &QAction::triggered, this, [this] { loadScratch(); });
        else if (action->objectName() == QLatin1String("clear_scratchpad"))
            connect(action, &QAction::triggered, this, [this] { clearScratchpad(); });
    }
}

void M::scratchMouseDown(const QPoint &globalPos)
{
    m_saveScratchMenu->popup(globalPos);
}

bool M::scratchTarget(const QString &procName, int &f, int &c)
{
    f = m_frameSelect->listIndex();
    c = m_configsList->currentRow();
    if (f < 0 || size_t(f) >= m_state.frames.size() || c < 0) {
        m_state.currentProc = procName;
        reportError(RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange)));
        return false;
    }
    return true;
}

void M::saveScratch()
{
    const QString procName = QStringLiteral("Save Scratch CP Values");
    m_state.runOk = false;
    int f = 0, c = 0;
    if (!scratchTarget(procName, f, c))
        return;
    SuppressedEvents quiet(m_form);
    try {
        SettingsStore store;
        Scratchpad scratchpad(store);
        for (const Group &group : m_state.frames[size_t(f)].groups) {
            int span = 1;
            for (size_t i = 0; i < group.items.size(); i += size_t(span)) {
                span = 1;
                fieldStep([&] { span = rowSpan(m_state, group.items[i]); });
                if (!hasField(group.items[i], c))
                    continue;
                fieldStep([&] {
                    const CPItem &member = rowMember(group, i, span, c);
                    scratchpad.save(member.CPTag, fieldValue(requiredSlotControl(member.valueControls, c)));
                });
            }
        }
    } catch (const std::exception &e) {
        m_state.currentProc = procName;
        reportError(errorFromException(e));
        return;
    }
    m_state.runOk = true;
}

void M::loadScratch()
{
    const QString procName = QStringLiteral("Load Scratch CP Values");
    m_state.runOk = false;
    int f = 0, c = 0;
    if (!scratchTarget(procName, f, c))
        return;
    SuppressedEvents quiet(m_form);
    try {
        SettingsStore store;
        const Scratchpad scratchpad(store);
        std::vector<Group> &groups = m_state.frames[size_t(f)].groups;

        // An empty text box, or a combo box without a selection, takes the stored text; a combo
        // box whose stored text is none of its entries, or that has none stored, takes its first.
        const auto fill = [&](const CPItem &item, int g, int i) {
            QWidget *field = requiredSlotControl(item.valueControls, c);
            const QString stored = scratchpad.value(item.CPTag).value_or(QString());
            if (item.type == QLatin1String("list")) {
                MultiColumnComboBox *combo = comboOf(field);
                if (combo->listIndex() >= 0)
                    return;
                combo->setValue(stored);
                if (combo->listIndex() < 0)
                    combo->setListIndex(0);
                if (item.isListTarget)
                    dispLinkedItem(f, g, i, c);
                else
                    buildComposites(f, g, i, c);
            } else if (item.type == QLatin1String("standard")) {
                if (!fieldValue(field).isEmpty())
                    return;
                setFieldValue(field, stored);
                buildComposites(f, g, i, c);
            }
        };

        // Plain rows first: list targets among them choose which member each list shows.
        for (size_t g = 0; g < groups.size(); ++g)
            for (size_t i = 0; i < groups[g].items.size(); ++i) {
                const CPItem &item = groups[g].items[i];
                if (!item.inList && hasField(item, c))
                    fieldStep([&] { fill(item, int(g), int(i)); });
            }
        for (size_t g = 0; g < groups.size(); ++g) {
            const Group &group = groups[g];
            int span = 1;
            for (size_t i = 0; i < group.items.size(); i += size_t(span)) {
                span = 1;
                fieldStep([&] { span = rowSpan(m_state, group.items[i]); });
                if (!group.items[i].inList || !hasField(group.items[i], c))
                    continue;
                fieldStep([&] {
                    const CPItem &member = rowMember(group, i, span, c);
                    fill(member, int(g), int(member.i_idx));
                });
            }
        }
    } catch (const std::exception &e) {
        m_state.currentProc = procName;
        reportError(errorFromException(e));
        return;
    }
    m_state.runOk = true;
}

void M::clearScratchpad()
{
    // Clearing an empty scratchpad is no failure; a store that cannot be written is, since the
    // values would otherwise come back on the next load unannounced.
    try {
        SettingsStore store;
        Scratchpad(store).clear();
        m_state.runOk = true;
    } catch (const std::exception &e) {
        m_state.currentProc = QStringLiteral("Clear Scratchpad");
        reportError(errorFromException(e));
    }
}

} // namespace tavik
