// Done: the configured properties are purged, those of the frame on screen are added afresh from
// the fields (document slot and, while configurations are in use, every configuration slot), the
// items' system values are applied, the scratchpad is saved, the document attribute remembers the
// settings, and the editor closes.
//
// A failure stops saving with the fields untouched and the editor open: the properties written
// so far stay in the document, and Done can simply be tried again, since it purges first.
//
// Purge: every custom property that the configuration names, in any frame, is deleted from the
// document and from each of its configurations. The fields keep their values, so Done can add
// the properties afresh; Quit after a purge leaves the document without them.

#include "editor/saving.h"

#include "editor/m.h"

#include "config/error_text.h"
#include "config/product.h"
#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "docsvc/system_write.h"
#include "editor/field_value.h"
#include "editor/list_row.h"
#include "editor/multi_column_combo_box.h"
#include "editor/suppressed_events.h"
#include "editor/tab_strip.h"
#include "hostapi/host.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "transfer/configs_select.h"
#include "widgets/colours.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace tavik {

namespace {

// Where Done was when it failed: the number its message ends with.
struct SaveStage {
    static constexpr int16_t Properties = 1, Scratchpad = 2, Attribute = 3;
};

// Adds a property as text. The host refuses to replace a property that is already there; after a
// purge that happens only when the same name is written twice, which is harmless when the texts
// agree. Any other refusal would leave the document without the user's value, so it is an error.
void addProperty(SharedState &state, const QString &configuration, const QString &name, const QString &value)
{
    const std::shared_ptr<sw::ModelDoc2> document = activeDocument(state);
    if (document->AddCustomInfo3(configuration, name, sw::swCustomInfoText, value))
        return;
    if (document->GetCustomInfoNames2(configuration).contains(name)
        && document->CustomInfo2(configuration, name) == value)
        return;
    const QString where
        = configuration.isEmpty() ? QStringLiteral("the document") : QStringLiteral("configuration ") + configuration;
    throw RuntimeError(err::Automation, QStringLiteral("the host did not add the property %1 to %2").arg(name, where));
}

// Calls visit(c, item, field) for every field Done writes, in the order it writes them: per row of
// the frame on screen the member shown, for the document slot and then, while the configurations
// are in use, for each configuration slot.
void forEachWrittenField(M &m, const std::function<void(int c, const CPItem &written, QWidget *field)> &visit)
{
    SharedState &state = m.state();
    const int f = m.frameSelect()->listIndex();
    if (f < 0 || size_t(f) >= state.frames.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    const bool configsInUse = m.useConfigs()->isChecked();
    const int slotCount = m.configsList()->count();

    for (Group &group : state.frames[size_t(f)].groups) {
        int span = 1;
        for (size_t i = 0; i < group.items.size(); i += size_t(span)) {
            const CPItem &item = group.items[i];
            span = rowSpan(state, item);
            if (i + size_t(span) > group.items.size())
                throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
            for (int c = item.location == OnlyConfigurations ? 1 : 0; c < slotCount; ++c) {
                if (c > 0 && (item.location == OnlyDocument || !configsInUse))
                    break;
                const CPItem &written = rowMember(group, i, span, c);
                visit(c, written, requiredSlotControl(written.valueControls, c));
            }
        }
    }
}

void setParameter(sw::Attribute &attribute, const QString &name, double value)
{
    if (!required(attribute.GetParameter(name))->SetDoubleValue(value))
        throw RuntimeError(err::Automation, QStringLiteral("the document attribute did not take %1").arg(name));
}

} // namespace

Saving::Saving(M &editor)
    : m_editor(editor)
    , m_state(editor.state())
    , m_form(editor.formState())
    , m_prompts(editor.prompts())
{
}

void Saving::connectControls()
{
    connect(m_editor.done(), &QPushButton::clicked, this, [this] { doneClick(); });
    connect(m_editor.Purge(), &QPushButton::clicked, this, [this] { purgeCP(); });
}

bool Saving::purgeCP()
{
    m_editor.guarded(QStringLiteral("Purge CP"), [this] {
        m_state.runOk = false;
        QListWidget *configsList = m_editor.configsList();
        QStringList configurations;
        for (int c = 1; c < configsList->count(); ++c)
            configurations << configsList->item(c)->text();

        const std::shared_ptr<sw::ModelDoc2> document = activeDocument(m_state);
        // Deleting an absent property is no error: the host answers False and nothing changes.
        for (const Frame &frame : m_state.frames)
            for (const Group &group : frame.groups)
                for (const CPItem &item : group.items) {
                    document->DeleteCustomInfo2(QString(), item.CPTag);
                    for (const QString &configuration : configurations)
                        document->DeleteCustomInfo2(configuration, item.CPTag);
                }

        m_editor.useConfigs()->setChecked(m_state.useConfigs);
        m_editor.frameSelect()->setListIndex(m_state.defaultFrame);
        // The document's values are gone, so the settings they were loaded under are free again.
        m_editor.frameSelect()->setFocusPolicy(Qt::StrongFocus);
        m_editor.useConfigs()->setFocusPolicy(Qt::StrongFocus);
        m_form.purged = true;
        m_state.runOk = true;
    });
    return m_state.runOk;
}

void Saving::doneClick()
{
    m_editor.editing().settleTypedEntries();
    // A refused entry is not saved; the user puts it right first.
    m_state.loadStage = SaveStage::Properties;
    try {
        if (refuseRejectedEntry())
            return;
    } catch (const std::exception &e) {
        saveFailed(errorFromException(e));
        return;
    }
    // Purge reports its own failure; the document then still holds what it held.
    if (!backOnEditorDocument() || !purgeCP())
        return;

    m_state.runOk = false;
    try {
        m_state.loadStage = SaveStage::Properties;
        writeFrameProperties();
        m_state.loadStage = SaveStage::Scratchpad;
        // The scratchpad reports its own failure; the document has its values by now.
        m_editor.scratchpad().saveScratch();
        // Written before the window goes, so that a failure leaves the editor open.
        m_state.loadStage = SaveStage::Attribute;
        sw::Attribute &attribute = *required(m_state.attribute);
        setParameter(attribute, QStringLiteral("USE_CONFIGS"), m_state.useConfigs ? 1.0 : 0.0);
        setParameter(attribute, QStringLiteral("USE_FRAME"), m_state.defaultFrame);
    } catch (const std::exception &e) {
        saveFailed(errorFromException(e));
        return;
    }

    m_state.runOk = true;
    m_editor.unload();
    m_editor.accept();
}

void Saving::writeFrameProperties()
{
    forEachWrittenField(m_editor, [this](int c, const CPItem &written, QWidget *field) {
        const QString value = fieldValue(field);
        if (c > 0) {
            addProperty(m_state, m_editor.configsList()->item(c)->text(), written.CPTag, value);
            return;
        }
        // An empty field has nothing to say about a document setting: a list with no choice
        // would otherwise switch the units to metres or blank the title.
        if (!value.isEmpty() && !writeSystemValue(m_state, written.systemWriteValue, value))
            m_prompts.message(QStringLiteral("Could not set [") + written.systemWriteValue + QStringLiteral("]      "),
                product::title() + QStringLiteral(": System Write Warning"), MessageIcon::Exclamation,
                MessageButtons::Ok);
        addProperty(m_state, QString(), written.CPTag, value);
    });
}

bool Saving::refuseRejectedEntry()
{
    int slot = -1;
    const CPItem *item = nullptr;
    QWidget *rejected = nullptr;
    forEachWrittenField(m_editor, [&](int c, const CPItem &written, QWidget *field) {
        if (!rejected && colours::backColor(field) == colours::toColor(colours::Mismatch)) {
            slot = c;
            item = &written;
            rejected = field;
        }
    });
    if (!rejected)
        return false;

    // Brought into view on its tab and slot, where the mismatch then holds the editor.
    const int f = m_editor.frameSelect()->listIndex();
    Frame &frame = m_state.frames[size_t(f)];
    {
        SuppressedEvents hold(m_form);
        m_editor.configsList()->setCurrentRow(slot);
        frame.currentTab = item->g_idx;
        static_cast<TabStrip *>(frame.tabStrip)->selectTab(item->g_idx + 1);
    }
    m_editor.navigation().showFramePage(f, slot);
    m_form.prototypeMismatch = true;
    rejected->setFocus(Qt::OtherFocusReason);
    const QString where
        = slot > 0 ? QStringLiteral(" in configuration ") + m_editor.configsList()->item(slot)->text() : QString();
    m_prompts.message(item->displayName + where + QStringLiteral(" does not match its prototype ") + item->prototype
            + QStringLiteral("; nothing was saved."),
        product::title() + QStringLiteral(": Warning"), MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

void Saving::saveFailed(const RuntimeError &error)
{
    m_state.runOk = false;
    m_state.currentProc = QStringLiteral("Save CP");
    m_state.errorTitle = QStringLiteral("Fatal Error");
    m_state.errorMessage = standardErrorText(error.number, error.description, m_state.currentProc)
        + QStringLiteral("\r\nCould not save CP values. Exiting ") + Str(static_cast<long long>(m_state.loadStage));
    m_prompts.message(m_state.errorMessage, product::title() + QStringLiteral(": ") + m_state.errorTitle,
        MessageIcon::Critical, MessageButtons::Ok);
}

bool Saving::backOnEditorDocument()
{
    const std::shared_ptr<sw::ModelDoc2> &editorDocument = m_editor.copyFrom().editorDocument();
    if (!editorDocument)
        return true; // no Copy From... ran: the editor's document is still the active one
    try {
        if (m_state.swApp && m_state.swApp->ActiveDoc() == editorDocument)
            return true;
        int error = 0;
        const auto doc = m_state.swApp->ActivateDoc2(ConfigsSelect::activationName(*editorDocument), true, error);
        if (error != sw::swActivateDocError && doc == editorDocument) {
            m_state.swModel = doc;
            return true;
        }
    } catch (const std::exception &) {
        // Told below, as a failed activation.
    }
    m_state.runOk = false;
    m_prompts.message(QStringLiteral("The document this editor was opened on cannot be made active again. "
                                     "Nothing was written."),
        product::title() + QStringLiteral(": Error"), MessageIcon::Critical, MessageButtons::Ok);
    return false;
}

} // namespace tavik
