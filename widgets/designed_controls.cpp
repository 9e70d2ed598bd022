#include "widgets/designed_controls.h"

#include <QLabel>
#include <QPushButton>

namespace tavik {

QPushButton *designedButton(
    QWidget *parent, const char *name, const QString &caption, const QString &tooltip, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tooltip);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QLabel *designedLabel(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

} // namespace tavik
