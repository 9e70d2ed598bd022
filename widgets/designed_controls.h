#pragma once
// The fixed controls of the add-in's windows, made by their designed name, caption and place.

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace tavik {

// A push button that Enter in another control does not press: every window here has several
// commands and none of them is a default.
QPushButton *designedButton(
    QWidget *parent, const char *name, const QString &caption, const QString &tooltip, QRect geometry);

QLabel *designedLabel(QWidget *parent, const char *name, const QString &caption, QRect geometry);

} // namespace tavik
