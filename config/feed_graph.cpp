#include "config/feed_graph.h"

#include "config/model.h"
#include "platform/runtime_error.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace tavik {

namespace {

[[noreturn]] void outOfRange()
{
    throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
}

const CPList &listOrThrow(const ConfigurationModel &state, const CPRef &ref)
{
    const CPList *list = listAt(state.frames, ref);
    if (!list)
        outOfRange();
    return *list;
}

using Key = std::tuple<int16_t, int16_t, int16_t>;

Key keyOf(const CPRef &ref)
{
    return {ref.f_idx, ref.g_idx, ref.i_idx};
}

void addOnce(std::vector<CPRef> &refs, const CPRef &ref)
{
    if (std::find(refs.begin(), refs.end(), ref) == refs.end())
        refs.push_back(ref);
}

// The owners of the composites that record user among their parts.
void addCompositeOwners(const ConfigurationModel &state, const CPItem &user, std::vector<CPRef> &out)
{
    if (user.compositeRefsUpper < 0)
        return;
    if (user.f_idx < 0 || size_t(user.f_idx) >= state.frames.size())
        outOfRange();
    const std::vector<Composite> &composites = state.frames[size_t(user.f_idx)].composites;
    const int last = std::min<int>(user.compositeRefsUpper, int(user.compositeRefs.size()) - 1);
    for (int k = 0; k <= last; ++k) {
        const int r = user.compositeRefs[size_t(k)];
        if (r < 0 || size_t(r) >= composites.size())
            outOfRange();
        addOnce(out, composites[size_t(r)].owner);
    }
}

} // namespace

std::vector<CPRef> fedItems(const ConfigurationModel &state, const CPItem &item, const ListChoice &choice)
{
    std::vector<CPRef> out;
    if (item.inList) {
        // Composites name a list by its first member and read the member chosen; a member named
        // by itself is read by its own composites.
        const CPList &list = listOrThrow(state, item.listRef);
        if (list.members.empty())
            outOfRange();
        const CPRef first = list.members.front();
        if (!(first == item.ref()))
            addCompositeOwners(state, item, out);
        if (!choice || choice(list))
            addCompositeOwners(state, itemAt(state, first), out);
    } else {
        addCompositeOwners(state, item, out);
    }
    if (item.isListTarget)
        for (const CPRef &member : listOrThrow(state, item.sourceList).members)
            addOnce(out, member);
    return out;
}

std::vector<CPRef> feedOrder(
    const ConfigurationModel &state, const std::vector<CPRef> &starts, QStringList &ring, const ListChoice &choice)
{
    enum class Mark { Open, Done };
    struct Visit {
        CPRef ref;
        std::vector<CPRef> next;
        size_t k = 0;
    };
    std::map<Key, Mark> marks;
    std::vector<Visit> path;
    std::vector<CPRef> finished;
    ring.clear();

    // Depth first without recursion, so that a long chain of composites cannot exhaust the stack;
    // an item met again while it is still open closes a ring.
    for (const CPRef &start : starts) {
        if (marks.count(keyOf(start)))
            continue;
        marks[keyOf(start)] = Mark::Open;
        path.push_back({start, fedItems(state, itemAt(state, start), choice)});
        while (!path.empty()) {
            Visit &top = path.back();
            if (top.k < top.next.size()) {
                const CPRef next = top.next[top.k++];
                const auto mark = marks.find(keyOf(next));
                if (mark == marks.end()) {
                    marks[keyOf(next)] = Mark::Open;
                    path.push_back({next, fedItems(state, itemAt(state, next), choice)});
                } else if (mark->second == Mark::Open) {
                    auto from = std::find_if(path.begin(), path.end(), [&](const Visit &v) { return v.ref == next; });
                    for (; from != path.end(); ++from)
                        ring << itemAt(state, from->ref).CPTag;
                    return {};
                }
            } else {
                marks[keyOf(top.ref)] = Mark::Done;
                finished.push_back(top.ref);
                path.pop_back();
            }
        }
    }
    std::reverse(finished.begin(), finished.end());
    return finished;
}

QStringList feedingRing(const ConfigurationModel &state)
{
    std::vector<CPRef> all;
    for (const Frame &frame : state.frames)
        for (const Group &group : frame.groups)
            for (const CPItem &item : group.items)
                all.push_back(item.ref());
    QStringList ring;
    feedOrder(state, all, ring);
    return ring;
}

QString ringText(const QStringList &ring)
{
    return QStringLiteral("Composites and linked lists feed each other in a ring: ") + ring.join(QStringLiteral(" -> "))
        + QStringLiteral(" -> ") + ring.value(0);
}

QString compositeListTarget(const ConfigurationModel &state)
{
    for (const Frame &frame : state.frames)
        for (const Group &group : frame.groups)
            for (const CPList &list : group.lists) {
                if (!list.linked)
                    continue;
                for (const Composite &composite : frame.composites)
                    if (composite.owner == list.target)
                        return itemAt(state, list.target).CPTag;
            }
    return {};
}

} // namespace tavik
