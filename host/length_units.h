#pragma once
// The host's length-unit codes (0 millimetre ... 10 micro-inch) and the units text of each.

#include <QString>

namespace tavik {

bool isLengthUnit(int code);
// The short units text of a code ("mm", "in", ...); "" for an unknown code.
QString lengthUnitText(int code);

} // namespace tavik
