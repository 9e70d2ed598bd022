#pragma once
// The shared variables of the add-in: the configuration model, the host objects and the run's
// status. One instance lives as long as the add-in is loaded; code that needs only one part takes
// that part.

#include "config/host_handles.h"
#include "config/model.h"
#include "config/run_status.h"

namespace tavik {

struct SharedState : ConfigurationModel, HostHandles, RunStatus { };

} // namespace tavik
