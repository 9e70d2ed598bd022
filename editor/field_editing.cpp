// Field editing: the value fields' change handlers, which normalise the entry and keep
// composites and linked lists up to date; the lost-focus handlers, which check a text entry
// against its item's prototype and spread a value into every slot of an item that is the same for
// all configurations; and the right button, which opens the value menu.

#include "editor/field_editing.h"

#include "editor/m.h"

#include "config/prototype_match.h"
#include "config/shared_state.h"
#include "editor/control_tag.h"
#include "editor/field_events.h"
#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "editor/suppressed_events.h"
#include "platform/ignoring_errors.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"
#include "widgets/field_text_box.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <algorithm>

namespace tavik {

namespace {

const QString MismatchHint = QStringLiteral("Does not match prototype: ");

// The list a target chooses from.
CPList &sourceListOf(SharedState &state, const CPItem &target)
{
    const CPRef &ref = target.sourceList;
    if (ref.f_idx < 0 || size_t(ref.f_idx) >= state.frames.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    Frame &frame = state.frames[size_t(ref.f_idx)];
    if (ref.g_idx < 0 || size_t(ref.g_idx) >= frame.groups.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    Group &group = frame.groups[size_t(ref.g_idx)];
    if (ref.i_idx < 0 || size_t(ref.i_idx) >= group.lists.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    return group.lists[size_t(ref.i_idx)];
}

// Marks a list field whose text the user typed and that is none of its entries yet; leaving the
// field settles it on the first entry.
const char *const TypedEntry = "typedEntry";

// Index of the code unit after the whole character that begins at index i.
qsizetype nextCharacter(const QString &text, qsizetype i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? i + 2 : i + 1;
}

// text cut to at most n code units without splitting a character.
QString cutWhole(const QString &text, qsizetype n)
{
    qsizetype end = 0;
    while (end < text.size() && nextCharacter(text, end) <= n)
        end = nextCharacter(text, end);
    return text.left(end);
}

struct Capitals {
    QString text;
    int cursor;
};

// The upper-case form of the whole text, with the cursor after what was typed. A capital form can
// be longer than its letter ("ß" is "SS"); the text still never grows past the limit (or past its
// own length when the program put a longer text in): from the first character before the cursor
// whose capitals do not fit, what was typed is dropped whole.
Capitals capitals(const QString &text, int cursor, int limit)
{
    const qsizetype room = limit > 0 ? std::max<qsizetype>(limit, text.size()) : -1;
    QString after = text.mid(cursor).toUpper();
    if (room >= 0 && after.size() > room)
        after = cutWhole(after, room);
    QString before;
    for (qsizetype i = 0; i < cursor;) {
        const qsizetype next = nextCharacter(text, i);
        const QString upper = text.mid(i, next - i).toUpper();
        if (room >= 0 && before.size() + upper.size() + after.size() > room)
            break;
        before += upper;
        i = next;
    }
    return {before + after, int(before.size())};
}

QLineEdit *textAreaOf(QWidget *field)
{
    if (auto *box = qobject_cast<QLineEdit *>(field))
        return box;
    if (auto *combo = qobject_cast<QComboBox *>(field))
        return combo->lineEdit();
    return nullptr;
}

} // namespace

FieldEditing::FieldEditing(M &editor)
    : m_editor(editor)
    , m_state(editor.state())
    , m_form(editor.formState())
{
}

void FieldEditing::connectFields()
{
    if (!m_events) {
        FieldEvents::Handlers handlers;
        handlers.lostFocus = [this](QWidget *field) {
            if (auto *box = qobject_cast<FieldTextBox *>(field))
                textBoxLostFocus(box);
            else if (auto *combo = qobject_cast<MultiColumnComboBox *>(field))
                comboBoxLostFocus(combo);
        };
        handlers.mouseUp = [this](QWidget *field, Qt::MouseButton button, const QPoint &globalPos) {
            fieldMouseUp(field, button, globalPos);
        };
        // Its filters go with this handler: no field event reaches a handler that is gone.
        m_events = new FieldEvents(std::move(handlers), this);
    }
    for (const auto &[index, box] : m_editor.CP_TextBox().elements()) {
        if (!box)
            continue;
        connect(box, &QLineEdit::textChanged, this, [this, box = box.data()] { textBoxChange(box); });
        m_events->watch(box);
    }
    for (const auto &[index, combo] : m_editor.CP_ComboBox().elements()) {
        if (!combo)
            continue;
        // A choice from the list changes the text as well; typing changes only the text.
        connect(combo, &QComboBox::editTextChanged, this, [this, combo = combo.data()] { comboBoxChange(combo); });
        m_events->watch(combo);
    }
}

void FieldEditing::textBoxChange(FieldTextBox *box)
{
    if (m_form.suppressEvents)
        return;
    m_editor.guarded(QStringLiteral("TB Change"), [&] {
        colours::setBackColor(box, colours::WindowBackground);
        FieldIndex at;
        if (!m_editor.splitTag(tagOf(box), at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        // The units hint replaces a mismatch message as soon as the entry changes.
        box->setToolTip(item.units);
        if (item.allCaps) {
            const Capitals upper = capitals(box->text(), box->cursorPosition(), box->lengthLimit());
            if (upper.text != box->text()) {
                box->setText(upper.text);
                box->setCursorPosition(upper.cursor);
            }
        }
        m_editor.buildComposites(at.f, at.g, at.i, at.c);
        m_state.runOk = true;
    });
}

void FieldEditing::comboBoxChange(MultiColumnComboBox *box)
{
    if (m_form.suppressEvents)
        return;
    m_editor.guarded(QStringLiteral("CB Change"), [&] {
        FieldIndex at;
        if (!m_editor.splitTag(tagOf(box), at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        // A list selector shows what its list target chose, or nothing while the target has no
        // choice; only value fields always hold one of their entries.
        const bool selector = slotControl(item.labelControls, at.c) == box;
        // Text equal to an entry selects it. Text that is none goes to the first entry, but
        // not while the user is still typing it: each keystroke would throw the entry away.
        if (!selector && box->listIndex() < 0 && box->listCount() > 0) {
            // The box has the focus while its text area has it.
            if (box->hasFocus())
                box->setProperty(TypedEntry, true);
            else
                box->setListIndex(0);
        }
        // A list without members has nothing to show.
        if (!selector && item.isListTarget && !sourceListOf(m_state, item).members.empty()) {
            CPList &list = sourceListOf(m_state, item);
            const int chosen = box->listIndex();
            list.defaultIndex = int16_t(chosen);
            const CPItem &first = itemAt(m_state, list.members.front());
            comboOf(requiredSlotControl(first.labelControls, at.c))->setListIndex(chosen);
            m_editor.dispLinkedItem(at.f, at.g, at.i, at.c);
        }
        m_editor.buildComposites(at.f, at.g, at.i, at.c);
        m_state.runOk = true;
    });
}

void FieldEditing::textBoxLostFocus(FieldTextBox *box)
{
    if (m_form.suppressEvents)
        return;
    FieldIndex at;
    const CPItem *item = nullptr;
    m_editor.guarded(QStringLiteral("TB lf"), [&] {
        if (!m_editor.splitTag(tagOf(box), at.f, at.g, at.i, at.c))
            return;
        const CPItem &field = itemAt(m_state, CPRef{at.f, at.g, at.i});
        if (field.hasPrototype) {
            const bool rejected = !box->text().isEmpty() && !matchesPrototype(box->text(), field.prototype);
            if (rejected) {
                if (m_events)
                    m_events->giveFocusBack(box);
                colours::setBackColor(box, colours::Mismatch);
                box->setToolTip(MismatchHint + field.prototype);
                m_form.prototypeMismatch = true;
            } else {
                colours::setBackColor(box, colours::WindowBackground);
                box->setToolTip(field.units);
                m_form.prototypeMismatch = false;
            }
        }
        item = &field;
    });
    if (!item)
        return;

    if (item->sameForAllConfigs) {
        const QString text = box->text();
        for (int k = 0; k < m_editor.configsList()->count(); ++k)
            ignoringErrors([&] { setFieldValue(requiredSlotControl(item->valueControls, k), text); });
    }
    m_state.runOk = true;
}

void FieldEditing::comboBoxLostFocus(MultiColumnComboBox *box)
{
    if (m_form.suppressEvents)
        return;
    FieldIndex at;
    const CPItem *item = nullptr;
    m_editor.guarded(QStringLiteral("CB lf"), [&] {
        settleTypedEntry(box);
        if (m_editor.splitTag(tagOf(box), at.f, at.g, at.i, at.c))
            item = &itemAt(m_state, CPRef{at.f, at.g, at.i});
    });
    if (!item)
        return;

    if (item->sameForAllConfigs) {
        // A document value that is none of the entries travels as its text, which the change
        // handler would otherwise replace with the first entry in every other slot.
        const int chosen = box->listIndex();
        const QString text = box->value();
        for (int k = 0; k < m_editor.configsList()->count(); ++k)
            ignoringErrors([&] {
                MultiColumnComboBox *other = comboOf(requiredSlotControl(item->valueControls, k));
                if (chosen >= 0) {
                    other->setListIndex(chosen);
                    return;
                }
                {
                    SuppressedEvents hold(m_form);
                    other->setValue(text);
                }
                m_editor.buildComposites(at.f, at.g, at.i, k);
            });
    }
    m_state.runOk = true;
}

void FieldEditing::settleTypedEntry(MultiColumnComboBox *box)
{
    if (!box->property(TypedEntry).toBool())
        return;
    box->setProperty(TypedEntry, false);
    if (box->listIndex() < 0 && box->listCount() > 0)
        box->setListIndex(0);
}

void FieldEditing::settleTypedEntries()
{
    for (const auto &[index, combo] : m_editor.CP_ComboBox().elements())
        if (combo)
            settleTypedEntry(combo);
}

void FieldEditing::fieldMouseUp(QWidget *field, Qt::MouseButton button, const QPoint &globalPos)
{
    if (m_form.suppressEvents)
        return;
    m_form.menuTag = tagOf(field);
    if (button != Qt::RightButton)
        return;
    if (QLineEdit *text = textAreaOf(field))
        text->setSelection(0, int(text->text().size()));
    m_editor.valueMenu()->popup(globalPos);
}

} // namespace tavik
