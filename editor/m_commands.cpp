// Commands of M on many fields at once or on one value: Clear (the fields of the frame and slot
// shown) and its menu with Clear all configurations, Load defaults, and the value menu's copy,
// paste and clear of the field it was opened on.

#include "editor/m.h"

#include "platform/runtime_error.h"
#include "config/shared_state.h"
#include "widgets/colours.h"
#include "editor/control_tag.h"
#include "widgets/field_text_box.h"
#include "editor/field_value.h"
#include "editor/get_next_look.h"
#include "platform/ignoring_errors.h"
#include "editor/menu_entry.h"
#include "editor/multi_column_combo_box.h"
#include "editor/suppressed_events.h"
#include "platform/prompts.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace tavik {

void M::connectCommands()
{
    connect(m_clear, &QPushButton::clicked, this, [this] { clearClick(); });
    new RightPress(m_clear, [this](const QPoint &globalPos) { clearMenu(globalPos); });
    connect(m_defaults, &QPushButton::clicked, this, [this] { defaultsClick(); });
    connectEntry(m_clearCPmenu, "clearAllCPValues", this, [this] { clearAllCPValues(); });
    connectEntry(m_clearCPmenu, "clearConfCPValues", this, [this] { clearConfCPValues(); });
    connectEntry(m_valueMenu, "copy_value", this, [this] { copyValue(); });
    connectEntry(m_valueMenu, "paste_value", this, [this] { pasteValue(); });
    connectEntry(m_valueMenu, "clear_value", this, [this] { clearValue(); });
}

void M::clearClick()
{
    guarded(QStringLiteral("Clear CP Values from configuration"), [this] {
        m_state.runOk = false;
        const int f = m_frameSelect->listIndex();
        const int c = m_configsList->currentRow();
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
                            dispLinkedItem(f, int(g), int(i), c);
                    }
                });
            }
        }
        m_state.runOk = true;
    });
}

void M::clearMenu(const QPoint &globalPos)
{
    m_clearCPmenu->popup(globalPos);
}

void M::clearAllCPValues()
{
    guarded(QStringLiteral("Clear"), [this] {
        {
            SuppressedEvents hold(m_form);
            for (const auto &[index, box] : m_textBox->elements())
                ignoringErrors([&] { setFieldValue(box.data(), QString()); });
            for (const auto &[index, combo] : m_comboBox->elements()) {
                ignoringErrors([&] {
                    comboOf(combo.data())->setListIndex(-1);
                    FieldIndex at;
                    if (splitTag(tagOf(combo), at.f, at.g, at.i, at.c))
                        dispLinkedItem(at.f, at.g, at.i, at.c);
                });
            }
            for (const auto &[index, label] : m_label->elements())
                if (label)
                    colours::setForeColor(label, colours::ButtonText);
            for (const auto &[index, button] : m_getNext->elements())
                if (button)
                    showNumberDrawn(button, false);
        }
        m_clear->setFocus(Qt::OtherFocusReason);
        m_state.runOk = true;
    });
}

void M::clearConfCPValues()
{
    // The Clear button itself clears the configuration shown; this entry has no command.
}

void M::defaultsClick()
{
    guarded(QStringLiteral("defaults"), [this] {
        SuppressedEvents hold(m_form);
        for (const auto &[index, box] : m_textBox->elements()) {
            ignoringErrors([&] {
                if (!fieldValue(box.data()).isEmpty())
                    return;
                FieldIndex at;
                if (!splitTag(tagOf(box), at.f, at.g, at.i, at.c))
                    return;
                setFieldValue(box.data(), itemAt(m_state, CPRef{at.f, at.g, at.i}).defaultValue);
                buildComposites(at.f, at.g, at.i, at.c);
            });
        }
        for (const auto &[index, combo] : m_comboBox->elements()) {
            ignoringErrors([&] {
                MultiColumnComboBox *box = comboOf(combo.data());
                // A document value that is none of the entries is a value all the same.
                if (box->listIndex() >= 0 || !box->value().isEmpty())
                    return;
                FieldIndex at;
                if (!splitTag(tagOf(box), at.f, at.g, at.i, at.c))
                    return;
                const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
                if (item.isListTarget) {
                    const CPRef &ref = item.sourceList;
                    const Group &group = m_state.frames.at(size_t(ref.f_idx)).groups.at(size_t(ref.g_idx));
                    box->setListIndex(group.lists.at(size_t(ref.i_idx)).defaultIndex);
                    dispLinkedItem(at.f, at.g, at.i, at.c);
                } else {
                    box->setValue(item.defaultValue);
                    if (box->listIndex() < 0)
                        box->setListIndex(0);
                }
                buildComposites(at.f, at.g, at.i, at.c);
            });
        }
        m_defaults->setFocus(Qt::OtherFocusReason);
        m_state.runOk = true;
    });
}

void M::copyValue()
{
    guarded(QStringLiteral("copy_value"), [this] {
        FieldIndex at;
        if (!splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        const QString text = fieldValue(requiredSlotControl(item.valueControls, at.c));
        m_prompts.clearClipboard();
        m_prompts.setClipboardText(text);
    });
}

void M::pasteValue()
{
    guarded(QStringLiteral("paste_value"), [this] {
        FieldIndex at;
        if (!splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        // Without holding events back: the field's change handler treats it as typed.
        setFieldValue(requiredSlotControl(item.valueControls, at.c), m_prompts.clipboardText());
    });
}

void M::clearValue()
{
    clearSerNum();
}

void M::clearSerNum()
{
    guarded(QStringLiteral("clear_Ser_Num"), [this] {
        FieldIndex at;
        if (!splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        QWidget *field = requiredSlotControl(item.valueControls, at.c);
        if (item.type != QLatin1String("list"))
            setFieldValue(field, QString());
        else
            comboOf(field)->setListIndex(-1);
        // The number drawn is not given back to the counter; only the button's look returns.
        showNumberDrawn(requiredSlotControl(item.unitsControls, at.c), false);
    });
}

} // namespace tavik
