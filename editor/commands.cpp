// Commands of the editor on many fields at once or on one value: Clear (the fields of the frame and slot
// shown) and its menu with Clear all configurations, Load defaults, and the value menu's copy,
// paste and clear of the field it was opened on.

#include "editor/commands.h"

#include "editor/m.h"

#include "config/shared_state.h"
#include "editor/control_tag.h"
#include "editor/field_value.h"
#include "editor/get_next_look.h"
#include "editor/menu_entry.h"
#include "editor/multi_column_combo_box.h"
#include "editor/suppressed_events.h"
#include "platform/ignoring_errors.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"
#include "widgets/field_text_box.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace tavik {

Commands::Commands(M &editor)
    : m_editor(editor)
    , m_state(editor.state())
    , m_form(editor.formState())
    , m_prompts(editor.prompts())
{
}

void Commands::connectControls()
{
    connect(m_editor.Clear(), &QPushButton::clicked, this, [this] { clearClick(); });
    new RightPress(m_editor.Clear(), [this](const QPoint &globalPos) { clearMenu(globalPos); });
    connect(m_editor.Defaults(), &QPushButton::clicked, this, [this] { defaultsClick(); });
    connectEntry(m_editor.clearCPmenu(), "clearAllCPValues", this, [this] { clearAllCPValues(); });
    connectEntry(m_editor.clearCPmenu(), "clearConfCPValues", this, [this] { clearConfCPValues(); });
    connectEntry(m_editor.valueMenu(), "copy_value", this, [this] { copyValue(); });
    connectEntry(m_editor.valueMenu(), "paste_value", this, [this] { pasteValue(); });
    connectEntry(m_editor.valueMenu(), "clear_value", this, [this] { clearValue(); });
}

void Commands::clearClick()
{
    m_editor.guarded(QStringLiteral("Clear CP Values from configuration"), [this] {
        m_state.runOk = false;
        const int f = m_editor.frameSelect()->listIndex();
        const int c = m_editor.configsList()->currentRow();
        if (f < 0 || size_t(f) >= m_state.frames.size() || c < 0)
            throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
        const Frame &frame = m_state.frames[size_t(f)];

        SuppressedEvents hold(m_form);
        for (size_t g = 0; g < frame.groups.size(); ++g) {
            for (size_t i = 0; i < frame.groups[g].items.size(); ++i) {
                ignoringErrors([&] {
                    const CPItem &item = frame.groups[g].items[i];
                    QWidget *field = slotControl(item.valueControls, c);
                    if (!field)
                        return;
                    if (item.type != QLatin1String("list")) {
                        setFieldValue(field, QString());
                        if (QWidget *units = slotControl(item.unitsControls, c); qobject_cast<QPushButton *>(units))
                            showNumberDrawn(units, false);
                    } else {
                        comboOf(field)->setListIndex(-1);
                        if (item.isListTarget)
                            m_editor.dispLinkedItem(f, int(g), int(i), c);
                    }
                });
            }
        }
        m_state.runOk = true;
    });
}

void Commands::clearMenu(const QPoint &globalPos)
{
    m_editor.clearCPmenu()->popup(globalPos);
}

void Commands::clearAllCPValues()
{
    m_editor.guarded(QStringLiteral("Clear"), [this] {
        {
            SuppressedEvents hold(m_form);
            for (const auto &[index, box] : m_editor.CP_TextBox().elements())
                ignoringErrors([&] { setFieldValue(box.data(), QString()); });
            for (const auto &[index, combo] : m_editor.CP_ComboBox().elements()) {
                ignoringErrors([&] {
                    comboOf(combo.data())->setListIndex(-1);
                    FieldIndex at;
                    if (m_editor.splitTag(tagOf(combo), at.f, at.g, at.i, at.c))
                        m_editor.dispLinkedItem(at.f, at.g, at.i, at.c);
                });
            }
            for (const auto &[index, label] : m_editor.CP_Label().elements())
                if (label)
                    colours::setForeColor(label, colours::ButtonText);
            for (const auto &[index, button] : m_editor.getNext().elements())
                if (button)
                    showNumberDrawn(button, false);
        }
        m_editor.Clear()->setFocus(Qt::OtherFocusReason);
        m_state.runOk = true;
    });
}

void Commands::clearConfCPValues()
{
    // The Clear button itself clears the configuration shown; this entry has no command.
}

void Commands::defaultsClick()
{
    m_editor.guarded(QStringLiteral("defaults"), [this] {
        SuppressedEvents hold(m_form);
        for (const auto &[index, box] : m_editor.CP_TextBox().elements()) {
            ignoringErrors([&] {
                if (!fieldValue(box.data()).isEmpty())
                    return;
                FieldIndex at;
                if (!m_editor.splitTag(tagOf(box), at.f, at.g, at.i, at.c))
                    return;
                setFieldValue(box.data(), itemAt(m_state, CPRef{at.f, at.g, at.i}).defaultValue);
                m_editor.buildComposites(at.f, at.g, at.i, at.c);
            });
        }
        for (const auto &[index, combo] : m_editor.CP_ComboBox().elements()) {
            ignoringErrors([&] {
                MultiColumnComboBox *box = comboOf(combo.data());
                // A document value that is none of the entries is a value all the same.
                if (box->listIndex() >= 0 || !box->value().isEmpty())
                    return;
                FieldIndex at;
                if (!m_editor.splitTag(tagOf(box), at.f, at.g, at.i, at.c))
                    return;
                const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
                if (item.isListTarget) {
                    const CPRef &ref = item.sourceList;
                    const Group &group = m_state.frames.at(size_t(ref.f_idx)).groups.at(size_t(ref.g_idx));
                    box->setListIndex(group.lists.at(size_t(ref.i_idx)).defaultIndex);
                    m_editor.dispLinkedItem(at.f, at.g, at.i, at.c);
                } else {
                    box->setValue(item.defaultValue);
                    if (box->listIndex() < 0)
                        box->setListIndex(0);
                }
                m_editor.buildComposites(at.f, at.g, at.i, at.c);
            });
        }
        m_editor.Defaults()->setFocus(Qt::OtherFocusReason);
        m_state.runOk = true;
    });
}

void Commands::copyValue()
{
    m_editor.guarded(QStringLiteral("copy_value"), [this] {
        FieldIndex at;
        if (!m_editor.splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        const QString text = fieldValue(requiredSlotControl(item.valueControls, at.c));
        m_prompts.clearClipboard();
        m_prompts.setClipboardText(text);
    });
}

void Commands::pasteValue()
{
    m_editor.guarded(QStringLiteral("paste_value"), [this] {
        FieldIndex at;
        if (!m_editor.splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        // Without holding events back: the field's change handler treats it as typed.
        setFieldValue(requiredSlotControl(item.valueControls, at.c), m_prompts.clipboardText());
    });
}

void Commands::clearValue()
{
    m_editor.serialNumbers().clearSerNum();
}

} // namespace tavik
