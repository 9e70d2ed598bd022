#pragma once
// The rows of a group as the editor shows them: a plain item is a row of its own, a linked list
// is one row whose selector (the first member's label control) shows one member at a time.

#include "config/shared_state.h"
#include "editor/field_value.h"

#include <cstddef>
#include <vector>

namespace tavik {

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

// Calls visit(g, member) with the member every row of groups shows in slot c, for the rows with
// a field in slot c (list rows only when listsOnly). Each step of a row runs as step(work), which
// decides whether a failure skips the row or ends the walk.
template <typename Step, typename Visit>
void forEachShownMember(
    const SharedState &state, const std::vector<Group> &groups, int c, bool listsOnly, Step step, Visit visit)
{
    for (size_t g = 0; g < groups.size(); ++g) {
        const Group &group = groups[g];
        int span = 1;
        for (size_t i = 0; i < group.items.size(); i += size_t(span)) {
            span = 1;
            const CPItem &first = group.items[i];
            step([&] { span = rowSpan(state, first); });
            if ((listsOnly && !first.inList) || !slotControl(first.valueControls, c))
                continue;
            step([&] { visit(int(g), rowMember(group, i, span, c)); });
        }
    }
}

} // namespace tavik
