#include "editor/list_row.h"

#include "config/shared_state.h"
#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "platform/runtime_error.h"

#include <algorithm>

namespace tavik {

namespace {

template <typename T>
const T &at(const std::vector<T> &items, int index)
{
    if (index < 0 || size_t(index) >= items.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    return items[size_t(index)];
}

} // namespace

int rowSpan(const SharedState &state, const CPItem &item)
{
    if (!item.inList)
        return 1;
    const CPRef &ref = item.listRef;
    const CPList &list = at(at(at(state.frames, ref.f_idx).groups, ref.g_idx).lists, ref.i_idx);
    return std::max<int>(1, int(list.members.size()));
}

int shownMemberOffset(const CPItem &first, int c)
{
    if (!first.inList)
        return 0;
    return std::max(0, comboOf(requiredSlotControl(first.labelControls, c))->listIndex());
}

const CPItem &rowMember(const Group &group, size_t i, int span, int c)
{
    const int offset = shownMemberOffset(at(group.items, int(i)), c);
    if (offset >= span || i + size_t(offset) >= group.items.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    return group.items[i + size_t(offset)];
}

} // namespace tavik
