#pragma once
// The configuration slots of the editor: one entry for the document itself, then one per
// configuration of the active document, and which entry is the active configuration.

#include <QStringList>

namespace tavik {

struct SharedState;

// Appends "<" + the title up to its first "." + ">" and then the configuration names in the
// host's order to configsList (which the caller hands in empty), and sets activeConfigIndex to the
// entry of the active configuration (0 when none matches; the last match wins).
// On an error: false, runOk false, currentProc "doConfigs" and the error text in errorMessage;
// the entries added so far stay.
bool doConfigs(SharedState &state, QStringList &configsList);

} // namespace tavik
