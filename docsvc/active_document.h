#pragma once
// Reaching host objects that may be missing: a missing object is the run-time error 91 (object
// variable not set), the error the calls on it would have raised.

#include "hostapi/host.h"
#include "platform/runtime_error.h"

#include <memory>

namespace tavik {

struct SharedState;

// The host's active document, asked anew; error 91 when there is no host or no document.
std::shared_ptr<sw::ModelDoc2> activeDocument(const SharedState &state);

// The object itself; error 91 when the host handed back none.
template <typename T>
std::shared_ptr<T> required(std::shared_ptr<T> object)
{
    if (!object)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    return object;
}

} // namespace tavik
