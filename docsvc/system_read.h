#pragma once
// The system read service: turns the name of a system value (clock, the document's file, type,
// units, density, mass properties, file name, summary information) into its current text.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace tavik {

struct SharedState;

// Never throws: a failing host or file-system call gives
// "ERROR: " + Str(loadStage) + " <" + name + "> Could not read system value", where loadStage
// (left set in state) is the step reached: 1 document and file, 2 mass properties, 3 the value.
// An unknown name gives "ERROR: <" + name + "> function not implemented".
// Month names and the decimal separator follow the user's locale.
QString readSystemValue(SharedState &state, const QString &name);

// The same with the locale and the clock given, so that the texts can be checked.
QString readSystemValue(SharedState &state, const QString &name, const QLocale &locale, const QDateTime &now);

// The texts of the file dates and size, as readSystemValue gives them: the locale's short date
// followed by the 24-hour time with seconds ("05/03/2026 14:03:07" under en_GB), and the size in
// kilobytes with two decimals ("1.50 Kb").
QString fileDateText(const QDateTime &when, const QLocale &locale);
QString fileSizeText(qint64 bytes, const QLocale &locale);

} // namespace tavik
