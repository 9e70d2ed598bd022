#include "config/resolution.h"

#include "config/exiting_failure.h"
#include "config/feed_graph.h"
#include "config/shared_state.h"
#include "platform/runtime_error.h"

#include <cstdint>

namespace tavik {

namespace {

// Model indices are 16-bit; a collection beyond that cannot be referred to.
int16_t index16(size_t i)
{
    if (i > size_t(INT16_MAX))
        throw RuntimeError(err::Overflow, errorDescription(err::Overflow));
    return static_cast<int16_t>(i);
}

void resolveComposites(SharedState &state, int16_t f)
{
    auto &composites = state.frames[size_t(f)].composites;
    for (size_t c = 0; c < composites.size(); ++c) {
        const int16_t composite = index16(c);
        const int16_t ownerLocation = itemAt(state, composites[c].owner).location;
        for (auto &part : composites[c].parts) {
            CPItem *item = findItemByTag(state, f, part.text);
            if (!item) {
                part.useValue = -1;
                continue;
            }
            part.ref = item->ref();
            item->compositeRefs.push_back(composite);
            item->compositeRefsUpper = index16(item->compositeRefs.size() - 1);
            item->location = ownerLocation;
        }
    }
}

void resolveList(SharedState &state, int16_t f, int16_t g, int16_t l)
{
    CPList &list = state.frames[size_t(f)].groups[size_t(g)].lists[size_t(l)];
    // An empty linkTo means the file gave none: it must not bind to an item without a tag.
    CPItem *target = list.linkTo.isEmpty() ? nullptr : findItemByTag(state, f, list.linkTo);
    if (!target) {
        for (const auto &member : list.members)
            itemAt(state, member).inList = false;
        list.linked = false;
        list.members = {CPRef{0, 0, 0}};
        return;
    }

    const CPRef listRef{f, g, l};
    target->type = QStringLiteral("list");
    target->defaultValue.clear();
    target->isListTarget = true;
    // A target may itself be a member of another list (a chain of lists): its own listRef names
    // that list, and the list it chooses from is kept apart in sourceList.
    target->sourceList = listRef;
    list.linked = true;
    list.target = target->ref();

    std::vector<CPOption> options;
    options.reserve(list.members.size());
    for (const auto &member : list.members) {
        CPOption option;
        option.values[0] = itemAt(state, member).displayName;
        options.push_back(option);
    }
    target->options = std::move(options);
    // A list without members leaves its selector without choices and without a default.
    if (!target->options.empty())
        target->defaultValue = target->options.front().values[0];

    const int16_t location = target->location;
    for (const auto &member : list.members) {
        CPItem &item = itemAt(state, member);
        item.inList = true;
        item.listIndex = l;
        item.listRef = listRef;
        item.location = location;
    }
}

// Items that feed each other in a ring would have the editor rebuild them without end, and a
// composite that is a list's target would be both built and chosen: neither can be shown.
bool refuseUnshowable(SharedState &state)
{
    QString reason;
    const QStringList ring = feedingRing(state);
    if (!ring.isEmpty()) {
        reason = ringText(ring);
    } else if (const QString composite = compositeListTarget(state); !composite.isEmpty()) {
        reason
            = QStringLiteral("The composite ") + composite + QStringLiteral(" cannot be the target of a linked list");
    } else {
        return true;
    }
    state.runOk = false;
    state.currentProc = QStringLiteral("doCPLists");
    state.errorMessage = reason + QStringLiteral("\r\nExiting");
    return false;
}

} // namespace

bool doComposites(SharedState &state)
{
    try {
        for (size_t f = 0; f < state.frames.size(); ++f)
            resolveComposites(state, index16(f));
        return true;
    } catch (const std::exception &e) {
        recordExitingFailure(state, QStringLiteral("doComposites"), e);
        return false;
    }
}

bool doCPLists(SharedState &state)
{
    bool firstGroup = true;
    try {
        for (size_t f = 0; f < state.frames.size(); ++f) {
            auto &groups = state.frames[f].groups;
            for (size_t g = 0; g < groups.size(); ++g) {
                firstGroup = f == 0 && g == 0;
                for (size_t l = 0; l < groups[g].lists.size(); ++l)
                    resolveList(state, index16(f), index16(g), index16(l));
            }
        }
        firstGroup = true;
        return refuseUnshowable(state);
    } catch (const std::exception &e) {
        if (!firstGroup)
            throw;
        recordExitingFailure(state, QStringLiteral("doCPLists"), e);
        return false;
    }
}

} // namespace tavik
