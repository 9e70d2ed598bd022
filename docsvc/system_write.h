#pragma once
// The system write service: applies an item's text to the document setting that its
// systemWriteValue names (file name, window title, length unit, density, summary information).

#include <QLocale>
#include <QString>

namespace tavik {

struct SharedState;

// Targets, compared exactly: "density", "filename", "setTitle", "units", "summaryTitle",
// "summarySubject", "summaryAuthor", "summaryKeywords", "summaryComments". Any other target, the
// empty one included, changes nothing, asks nothing of the host, and returns true.
// Returns false when the target could not be applied: a host call raised an error, the host
// reported that the save or the new title failed, the density is not a number, or the file name
// is blank. A density text is read in the "C" form ("2.7") or in the user's locale ("2,7").
bool writeSystemValue(SharedState &state, const QString &target, const QString &value);
bool writeSystemValue(SharedState &state, const QString &target, const QString &value, const QLocale &locale);

// The host's length-unit code for a units text; forms compare without regard to case, and an
// unlisted text means metre (2).
int lengthUnitCode(const QString &units);

} // namespace tavik
