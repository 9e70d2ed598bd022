#pragma once
// Whether a value fits an item's prototype read as a pattern: "?" any character, "*" any run,
// "#" a decimal digit, "[...]" a character list (ranges, "!" negation), everything else itself.

#include <QString>

namespace tavik {

// True when the whole of text fits prototype, case-sensitively. A malformed pattern (a "[" without
// its "]", or a range written high to low) throws RuntimeError 93 "Invalid pattern string".
bool matchesPrototype(const QString &text, const QString &prototype);

} // namespace tavik
