#pragma once
// Conversions of configuration attribute texts into flags and numbers. Each gives no value when
// the text does not convert or the number is out of range.

#include <QString>
#include <cstdint>
#include <optional>

namespace tavik {

// "true"/"false" in any letter case, or a number: 0 is false, any other number true.
std::optional<bool> toBoolean(const QString &text);
// A decimal number, rounded to the nearest integer with halves to the even neighbour.
std::optional<int16_t> toInt16(const QString &text);
std::optional<int32_t> toInt32(const QString &text);

} // namespace tavik
