#include "platform/wait_limit.h"

#include <QString>

namespace tavik {

int waitLimitSeconds()
{
    constexpr int Default = 10;
    bool ok = false;
    const int seconds = qEnvironmentVariable("TAVIK_TIMEOUT").toInt(&ok);
    // An hour at most: the limit is turned into milliseconds for the stores.
    return ok && seconds >= 1 && seconds <= 3600 ? seconds : Default;
}

} // namespace tavik
