#pragma once
// Reading and changing a field's value whatever its control: a text box or a combo box. The
// editor's operations keep control references as plain objects in the model; these helpers give
// the run-time errors a missing or unexpected control would raise (91, 13).

#include <QString>
#include <vector>

class QObject;
class QWidget;

namespace tavik {

class MultiColumnComboBox;

// The control of slot c in a per-slot sequence; nullptr when the item has none there.
QWidget *slotControl(const std::vector<QObject *> &controls, int c);
// The same, but a missing control is the error 91.
QWidget *requiredSlotControl(const std::vector<QObject *> &controls, int c);

// The text a field shows (a combo box's text, chosen or typed).
QString fieldValue(const QObject *control);
// Puts text into a field: a text box takes it whole, a combo box selects the entry of that text
// or none. The control's change signal fires as for any program change.
void setFieldValue(QObject *control, const QString &text);

// The combo box of a list field or selector; error 13 for any other control.
MultiColumnComboBox *comboOf(QObject *control);

// On and off as a keyboard stop.
void setTabStop(QWidget *widget, bool on);

} // namespace tavik
