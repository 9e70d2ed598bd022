#pragma once
// The rows of a group as the editor shows them: a plain item is a row of its own, a linked list
// is one row whose selector (the first member's label control) shows one member at a time.

#include <cstddef>

namespace tavik {

struct SharedState;
struct CPItem;
struct Group;

// Number of items the row that begins with item takes: 1 for a plain item, the list's member
// count for the first member of a list. Throws RuntimeError 9 for a list reference that points
// nowhere.
int rowSpan(const SharedState &state, const CPItem &item);

// Offset, from the first member, of the member that the row's selector of slot c shows. While
// the selector has no selection the first member holds the row's place, and it is the one taken
// (0): its field may carry a value read from the document, which must not be dropped. Throws
// RuntimeError 91 when the slot has no selector.
int shownMemberOffset(const CPItem &first, int c);

// The item that the row beginning at item i, span items long, shows in slot c: the item itself,
// or the member its selector shows. Throws RuntimeError 9 when that lies outside the row.
const CPItem &rowMember(const Group &group, size_t i, int span, int c);

} // namespace tavik
