#include "config/composite_text.h"

#include "config/model.h"

namespace tavik {

namespace {

int entryIndex(const CPItem &item, const QString &value)
{
    for (size_t o = 0; o < item.options.size(); ++o)
        if (item.options[o].values[0] == value)
            return int(o);
    return -1;
}

// The item a part reads: the named one, or for the first member of a linked list the member its
// target has chosen (nullptr while the target holds no entry).
const CPItem *partItem(
    const ConfigurationModel &state, const CPItem &named, const std::function<QString(const CPItem &)> &valueOf)
{
    if (!named.inList)
        return &named;
    const CPList *list = listAt(state.frames, named.listRef);
    if (!list || !list->linked || list->members.empty() || !(list->members.front() == named.ref()))
        return &named;
    const CPItem &target = itemAt(state, list->target);
    const int chosen = entryIndex(target, valueOf(target));
    if (chosen < 0 || size_t(chosen) >= list->members.size())
        return nullptr;
    return &itemAt(state, list->members[size_t(chosen)]);
}

} // namespace

CompositeText composeText(
    const ConfigurationModel &state, const Composite &composite, const std::function<QString(const CPItem &)> &valueOf)
{
    CompositeText result;
    for (const CompositePart &part : composite.parts) {
        if (part.useValue < 0 || part.useValue > 2) {
            result.text += part.text;
            continue;
        }
        const CPItem *item = partItem(state, itemAt(state, part.ref), valueOf);
        const QString value = item ? valueOf(*item) : QString();
        if (value.isEmpty()) {
            result.complete = false;
            continue;
        }
        if (item->type != QLatin1String("list")) {
            result.text += value;
            continue;
        }
        const int entry = entryIndex(*item, value);
        if (entry < 0)
            result.complete = false;
        else
            result.text += item->options[size_t(entry)].values[size_t(part.useValue)];
    }
    const CPItem &owner = itemAt(state, composite.owner);
    if (owner.length > 0)
        result.text.truncate(owner.length);
    return result;
}

const Composite *compositeOf(const ConfigurationModel &state, const CPItem &item)
{
    if (item.f_idx < 0 || size_t(item.f_idx) >= state.frames.size())
        return nullptr;
    for (const Composite &c : state.frames[size_t(item.f_idx)].composites)
        if (c.owner == item.ref())
            return &c;
    return nullptr;
}

} // namespace tavik
