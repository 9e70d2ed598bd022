#pragma once
// Serial numbers written in a prototype: "#" a decimal place, "?" a letter place (A = 0 .. Z = 25),
// "\" makes the next character a literal, anything else is a literal. The places form a mixed-radix
// numeral, least significant on the right. These four operations turn counter indices into the
// numbers of an item's range and back; they touch neither the document nor the settings store.
//
// Decisions where the prototype language leaves room:
// - A backslash escapes the character after it wherever it stands, the first position included,
//   so "\###" shows 5 as "#05" and expects the entry text "\#05". Escapes are found scanning from
//   the right, so in "A\\#" the second backslash escapes "#" and the first is a literal.
// - A range whose maxVal lies below its minVal holds no number: validateSerialNumber reports it in
//   a message box and returns -1, validateValue refuses every text with a reason naming both bounds.
// - A negative number other than -1 is no number either: it formats to the empty text, and
//   validateSerialNumber passes it on as -1.
// - With an empty prototype an entry text must consist of decimal digits only.

#include <QString>
#include <cstdint>
#include <optional>

namespace tavik {

class Prompts;

// The display text of value; -1 (no number) gives the empty text. A number larger than the
// prototype can hold is shown modulo its capacity.
QString formatSerialNumber(int32_t value, const QString &prototype);

// The number that an entry text stands for, or -1 when it does not match the prototype. An
// arithmetic failure (overflow of a prototype with too many places, a non-number with an empty
// prototype) is shown in a message box and also yields -1.
int32_t unformatSerialNumber(const QString &str, const QString &proto, Prompts &prompts);

// The value of a text of plain decimal digits ("0" to "9" only, as counters are stored); nothing for
// any other text or a value past the 32-bit range.
std::optional<int32_t> parseDecimalDigits(const QString &text);

// Display text to entry text: every "#" becomes "\#", then every "?" becomes "\?".
QString escapeSerialText(const QString &displayText);

// The serial number for counter index value inside the range minVal..maxVal (display texts) with
// step incVal; an index past the last number wraps around with a caution box. incVal below 1 is
// raised to 1 in the caller's variable.
int32_t validateSerialNumber(int32_t value, const QString &prototype, const QString &minVal, const QString &maxVal,
    int32_t &incVal, Prompts &prompts);

// The counter index of an entry text, or -1 with the reason of the refusal in errorMessage
// (emptied on success). Checks the minimum, then the maximum, then the step.
int32_t validateValue(const QString &str, const QString &proto, const QString &minVal, const QString &maxVal,
    int32_t &incVal, QString &errorMessage, Prompts &prompts);

} // namespace tavik
