#pragma once
// Binds the references that the configuration file makes by property name (CPTag): composite
// parts to the items they name, and custom-property lists to the item their linkTo names.
// Both passes look only within the frame of the composite or list; the first item of the frame
// (groups in order, items in order) with exactly that CPTag wins. Run once per model, composites
// first: a second run would count every composite use twice.

namespace tavik {

struct SharedState;

// A part that names an item points at it, and the item records the composite's index and takes
// the owner's location; a part that names nothing in its frame becomes a literal (useValue -1).
// On an error: false, runOk false, currentProc "doComposites", and the error text with
// "\r\nExiting" in errorMessage; errorTitle is left as the caller set it.
bool doComposites(SharedState &state);

// A list whose linkTo names an item of its frame becomes that item's choices: the item turns into
// a "list" item whose options are the members' display names (its default the first of them), and
// the members take its location. A list whose linkTo is empty or names nothing is unlinked: its
// members become ordinary items and its members collection holds a single unusable (0, 0, 0).
// An error met while the first group of the first frame is examined gives false with the texts of
// doComposites under the name "doCPLists". An error met later is NOT caught here: it propagates to
// the command driver, which reports it with its default texts ("Unknown error" / "Exiting").
// Once every list is bound, a configuration whose items feed each other in a ring, or whose list
// targets a composite, is refused: false, runOk false, currentProc "doCPLists", and errorMessage
// naming the ring's items (or the composite) followed by "\r\nExiting".
bool doCPLists(SharedState &state);

} // namespace tavik
