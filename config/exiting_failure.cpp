#include "config/exiting_failure.h"

#include "config/error_text.h"
#include "config/shared_state.h"
#include "platform/runtime_error.h"

namespace tavik {

void recordExitingFailure(SharedState &state, const QString &proc, const std::exception &error)
{
    const RuntimeError e = errorFromException(error);
    state.runOk = false;
    state.currentProc = proc;
    state.errorMessage = exitingErrorText(e.number, e.description, proc);
}

} // namespace tavik
