#include "editor/field_value.h"

#include "editor/multi_column_combo_box.h"
#include "platform/runtime_error.h"
#include "widgets/field_text_box.h"

#include <QLineEdit>

namespace tavik {

namespace {

[[noreturn]] void fail(int number)
{
    throw RuntimeError(number, errorDescription(number));
}

} // namespace

QWidget *slotControl(const std::vector<QObject *> &controls, int c)
{
    if (c < 0 || size_t(c) >= controls.size())
        return nullptr;
    return qobject_cast<QWidget *>(controls[size_t(c)]);
}

QWidget *requiredSlotControl(const std::vector<QObject *> &controls, int c)
{
    QWidget *control = slotControl(controls, c);
    if (!control)
        fail(err::ObjectNotSet);
    return control;
}

QString fieldValue(const QObject *control)
{
    if (!control)
        fail(err::ObjectNotSet);
    if (auto *combo = qobject_cast<const MultiColumnComboBox *>(control))
        return combo->value();
    if (auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    fail(err::TypeMismatch);
}

void setFieldValue(QObject *control, const QString &text)
{
    if (!control)
        fail(err::ObjectNotSet);
    if (auto *combo = qobject_cast<MultiColumnComboBox *>(control))
        combo->setValue(text);
    else if (auto *box = qobject_cast<QLineEdit *>(control))
        box->setText(text);
    else
        fail(err::TypeMismatch);
}

MultiColumnComboBox *comboOf(QObject *control)
{
    if (!control)
        fail(err::ObjectNotSet);
    auto *combo = qobject_cast<MultiColumnComboBox *>(control);
    if (!combo)
        fail(err::TypeMismatch);
    return combo;
}

void setTabStop(QWidget *widget, bool on)
{
    widget->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

} // namespace tavik
