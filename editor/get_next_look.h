#pragma once
// The look of a serial-number field's Get Next button tells whether the field holds a drawn
// number: a struck-through caption and a hint at the right-click menu once it does, a plain
// caption without hint while it does not.

class QWidget;

namespace tavik {

void showNumberDrawn(QWidget *button, bool drawn);

} // namespace tavik
