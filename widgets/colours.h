#pragma once
// Colours as the editor names them: system colour references (0x80000000 + index) mapped once to
// concrete colours, and plain values in the platform's BGR order (0x8080FF is light red).

#include <QColor>
#include <cstdint>

class QWidget;

namespace tavik::colours {

constexpr uint32_t WindowBackground = 0x80000005;
constexpr uint32_t WindowText = 0x80000008;
constexpr uint32_t ButtonFace = 0x8000000F;
constexpr uint32_t DisabledText = 0x80000011;
constexpr uint32_t ButtonText = 0x80000012;
constexpr uint32_t Mismatch = 0x8080FF;
constexpr uint32_t Incomplete = 0x4040FF; // label of a composite that lacks a part

QColor toColor(uint32_t code);

// Background of a control as shown: the text area of fields and lists, the face of the others.
// The code is kept on the widget too (property "backColor") so that later changes can compare it.
void setBackColor(QWidget *widget, uint32_t code);
QColor backColor(const QWidget *widget);
void setForeColor(QWidget *widget, uint32_t code);
QColor foreColor(const QWidget *widget);

// The text area colour that fields and lists placed in container take from it, in every state:
// set once on a container, it spares each field a palette of its own (setBackColor on a field
// that already shows the colour only records the code). The container's own colours stay.
void setFieldAreaColor(QWidget *container, uint32_t code);

} // namespace tavik::colours
