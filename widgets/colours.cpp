#include "widgets/colours.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace tavik::colours {

QColor toColor(uint32_t code)
{
    if (code & 0x80000000u) {
        switch (code) {
        case WindowBackground:
            return QColor(0xff, 0xff, 0xff);
        case WindowText:
            return QColor(0x00, 0x00, 0x00);
        case ButtonFace:
            return QColor(0xf0, 0xf0, 0xf0);
        case DisabledText:
            return QColor(0x6d, 0x6d, 0x6d);
        case ButtonText:
            return QColor(0x00, 0x00, 0x00);
        default:
            return QColor(0x00, 0x00, 0x00);
        }
    }
    return QColor(int(code & 0xff), int((code >> 8) & 0xff), int((code >> 16) & 0xff));
}

namespace {

// Fields and lists paint their text area with Base; frames, labels and buttons their face.
QPalette::ColorRole backgroundRole(const QWidget *widget)
{
    if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QComboBox *>(widget)
        || qobject_cast<const QAbstractScrollArea *>(widget))
        return QPalette::Base;
    return QPalette::Window;
}

QPalette::ColorRole foregroundRole(const QWidget *widget)
{
    if (backgroundRole(widget) == QPalette::Base)
        return QPalette::Text;
    return QPalette::WindowText;
}

// The same colour whether the control is enabled or not: a disabled field keeps the colour it
// was given, as the original controls do.
void setRole(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    // Setting a palette spreads to every child; skip it when nothing would change.
    bool same = true;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        same = same && palette.color(group, role) == colour
            && (role != QPalette::Text || palette.color(group, QPalette::ButtonText) == colour);
    if (same && (role != QPalette::Window || widget->autoFillBackground()))
        return;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, role, colour);
    if (role == QPalette::Text)
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::ButtonText, colour);
    widget->setPalette(palette);
    if (role == QPalette::Window)
        widget->setAutoFillBackground(true);
}

} // namespace

void setBackColor(QWidget *widget, uint32_t code)
{
    setRole(widget, backgroundRole(widget), toColor(code));
    widget->setProperty("backColor", QVariant::fromValue<uint>(code));
}

QColor backColor(const QWidget *widget)
{
    return widget->palette().color(QPalette::Active, backgroundRole(widget));
}

void setForeColor(QWidget *widget, uint32_t code)
{
    setRole(widget, foregroundRole(widget), toColor(code));
    widget->setProperty("foreColor", QVariant::fromValue<uint>(code));
}

void setFieldAreaColor(QWidget *container, uint32_t code)
{
    const QColor colour = toColor(code);
    QPalette palette = container->palette();
    bool same = true;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        same = same && palette.color(group, QPalette::Base) == colour;
        palette.setColor(group, QPalette::Base, colour);
    }
    if (!same)
        container->setPalette(palette);
}

QColor foreColor(const QWidget *widget)
{
    return widget->palette().color(QPalette::Active, foregroundRole(widget));
}

} // namespace tavik::colours
