#pragma once
// A script line that cannot be carried out: thrown by the runner's verbs, caught where the line
// began, and reported with the line's number.

#include <QString>

namespace tavik {

struct ScriptLineFailure {
    QString reason;
};

[[noreturn]] inline void failLine(const QString &reason)
{
    throw ScriptLineFailure{reason};
}

} // namespace tavik
