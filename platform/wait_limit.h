#pragma once
// How long the editor waits on a store that another program holds: a numbering server that does
// not answer or keeps a counter locked, or a settings file locked by another process. The wait
// runs while the window is busy, so it is short and the user can change it.

namespace tavik {

// TAVIK_TIMEOUT in whole seconds (1 or more); 10 when it is unset or no such number.
int waitLimitSeconds();

} // namespace tavik
