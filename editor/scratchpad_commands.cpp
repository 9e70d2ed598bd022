// The scratchpad commands of the editor: Save and Load work on the frame on screen and the
// configuration slot selected; Clear empties the whole scratchpad. The Scratch button loads on a
// left click and opens its menu on the right button.
//
// A successful Save, Load or Clear sets runOk, as the editor's other commands do, so that a failure
// reported earlier in the run is not shown once more when the editor closes. Save stores of a
// list row the member its selector shows (the first member while it shows none), the same member
// Done writes; Load fills every member.

#include "editor/scratchpad_commands.h"

#include "editor/m.h"

#include "config/model.h"
#include "editor/busy_cursor.h"
#include "editor/field_value.h"
#include "editor/list_row.h"
#include "editor/menu_entry.h"
#include "editor/multi_column_combo_box.h"
#include "editor/suppressed_events.h"
#include "platform/ignoring_errors.h"
#include "platform/runtime_error.h"
#include "platform/settings_store.h"
#include "transfer/scratchpad.h"

#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace tavik {

namespace {

// A step on one field whose failure is skipped, so that one unreadable field does not stop the
// rest. Failures of the store are not skipped: they end the command and are reported.
const auto fieldStep = [](auto &&step) { ignoringErrors<SettingsError>(step); };

} // namespace

ScratchpadCommands::ScratchpadCommands(M &editor)
    : m_editor(editor)
    , m_state(editor.state())
    , m_form(editor.formState())
{
}

void ScratchpadCommands::connectControls()
{
    connect(m_editor.Scratch(), &QPushButton::clicked, this, [this] { loadScratch(); });
    new RightPress(m_editor.Scratch(), [this](const QPoint &globalPos) { scratchMouseDown(globalPos); });
    connectEntry(m_editor.saveScratchMenu(), "save_scratch", this, [this] { saveScratch(); });
    connectEntry(m_editor.saveScratchMenu(), "load_scratch", this, [this] { loadScratch(); });
    connectEntry(m_editor.saveScratchMenu(), "clear_scratchpad", this, [this] { clearScratchpad(); });
}

void ScratchpadCommands::scratchMouseDown(const QPoint &globalPos)
{
    m_editor.saveScratchMenu()->popup(globalPos);
}

void ScratchpadCommands::scratchCommand(
    const QString &procName, const std::function<void(int f, int c, SettingsStore &store)> &work)
{
    m_state.runOk = false;
    const int f = m_editor.frameSelect()->listIndex();
    const int c = m_editor.configsList()->currentRow();
    if (f < 0 || size_t(f) >= m_state.frames.size() || c < 0) {
        m_state.currentProc = procName;
        m_editor.reportError(RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange)));
        return;
    }
    SuppressedEvents quiet(m_form);
    try {
        const BusyCursor busy;
        SettingsStore store;
        work(f, c, store);
    } catch (const std::exception &e) {
        m_state.currentProc = procName;
        m_editor.reportError(errorFromException(e));
        return;
    }
    m_state.runOk = true;
}

void ScratchpadCommands::saveScratch()
{
    scratchCommand(QStringLiteral("Save Scratch CP Values"), [this](int f, int c, SettingsStore &store) {
        Scratchpad scratchpad(store);
        SettingsStore::Transaction allOrNone(store); // never one document's values mixed with another's
        forEachShownMember(
            m_state, m_state.frames[size_t(f)].groups, c, false, fieldStep, [&](int, const CPItem &member) {
                scratchpad.save(member.CPTag, fieldValue(requiredSlotControl(member.valueControls, c)));
            });
        allOrNone.commit();
    });
}

void ScratchpadCommands::loadScratch()
{
    scratchCommand(QStringLiteral("Load Scratch CP Values"), [this](int f, int c, SettingsStore &store) {
        const Scratchpad scratchpad(store);
        std::vector<Group> &groups = m_state.frames[size_t(f)].groups;

        // A field the scratchpad holds nothing for takes the empty text (a combo box its first
        // entry).
        const auto fill = [&](const CPItem &item, int g, int i) {
            const QString stored = scratchpad.value(item.CPTag).value_or(QString());
            m_editor.copyFrom().fillEmptyField(item, f, g, i, c, [&] { return stored; });
        };

        // Every field, list members included: Save stored each member that was shown, and a
        // member shown now or not keeps its value for when the user picks it.
        for (size_t g = 0; g < groups.size(); ++g)
            for (size_t i = 0; i < groups[g].items.size(); ++i) {
                const CPItem &item = groups[g].items[i];
                if (slotControl(item.valueControls, c))
                    fieldStep([&] { fill(item, int(g), int(i)); });
            }
    });
}

void ScratchpadCommands::clearScratchpad()
{
    // Clearing an empty scratchpad is no failure; a store that cannot be written is, since the
    // values would otherwise come back on the next load unannounced.
    try {
        SettingsStore store;
        Scratchpad(store).clear();
        m_state.runOk = true;
    } catch (const std::exception &e) {
        m_state.currentProc = QStringLiteral("Clear Scratchpad");
        m_editor.reportError(errorFromException(e));
    }
}

} // namespace tavik
