#pragma once
// The failure of an operation of the configuration module, recorded for the command driver:
// runOk false, the operation's name in currentProc, and the error text ending in "Exiting".
// errorTitle stays as the command driver set it.

#include <QString>
#include <exception>

namespace tavik {

struct SharedState;

void recordExitingFailure(SharedState &state, const QString &proc, const std::exception &error);

} // namespace tavik
