#pragma once
// Field editing: the handlers of the value fields while the user edits them. Each starts from the
// field's tag. The lost-focus check of a prototype keeps a rejected entry's field in the focus and
// holds the editor on its tab and slot until an entry is accepted.

#include <QObject>
#include <QPoint>

class QWidget;

namespace tavik {

class M;
struct FormState;
struct SharedState;
class FieldEvents;
class FieldTextBox;
class MultiColumnComboBox;

class FieldEditing : public QObject {
public:
    explicit FieldEditing(M &editor);

    // The change, lost-focus and mouse events of every field the load has made.
    void connectFields();

    void textBoxChange(FieldTextBox *box);
    void comboBoxChange(MultiColumnComboBox *box);
    void textBoxLostFocus(FieldTextBox *box);
    void comboBoxLostFocus(MultiColumnComboBox *box);
    // A list field's typed text that is none of its entries goes to the first entry once the
    // user is done typing: when the field is left, or Done is clicked.
    void settleTypedEntry(MultiColumnComboBox *box);
    void settleTypedEntries();
    // A mouse button released over a field: remembers the field in menuTag, and the right
    // button selects the whole entry and opens valueMenu at globalPos.
    void fieldMouseUp(QWidget *field, Qt::MouseButton button, const QPoint &globalPos);

private:
    M &m_editor;
    SharedState &m_state;
    FormState &m_form;
    FieldEvents *m_events = nullptr;
};

} // namespace tavik
