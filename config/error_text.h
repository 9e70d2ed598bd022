#pragma once
// Number and error texts shared by every error handler.

#include <QString>

namespace tavik {

// The decimal text of n with one leading blank when n >= 0 ("Error " + Str(5) reads "Error  5").
QString Str(long long n);
// The same for a fractional number, "." as the decimal point and no exponent for ordinary values.
QString Str(double x);

// "Error " + Str(number) + " (" + description + ") in <" + proc + ">     "
QString standardErrorText(int number, const QString &description, const QString &proc);

// The same followed by a line break and "Exiting": the configuration module's form.
QString exitingErrorText(int number, const QString &description, const QString &proc);

} // namespace tavik
