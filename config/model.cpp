#include "config/model.h"

#include "platform/runtime_error.h"

namespace tavik {

bool CPItem::isSerialNumber() const
{
    return type == QLatin1String("systemRead") && !options.empty()
        && options.front().values[0] == QLatin1String("nextSerialNumber");
}

void ConfigurationModel::emptyFrames()
{
    frames.clear();
    frames.emplace_back();
}

namespace {
template <typename State, typename Item>
Item &lookUp(State &state, const CPRef &ref)
{
    auto outOfRange = [] { return RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange)); };
    if (ref.f_idx < 0 || size_t(ref.f_idx) >= state.frames.size())
        throw outOfRange();
    auto &frame = state.frames[size_t(ref.f_idx)];
    if (ref.g_idx < 0 || size_t(ref.g_idx) >= frame.groups.size())
        throw outOfRange();
    auto &group = frame.groups[size_t(ref.g_idx)];
    if (ref.i_idx < 0 || size_t(ref.i_idx) >= group.items.size())
        throw outOfRange();
    return group.items[size_t(ref.i_idx)];
}
} // namespace

CPItem &itemAt(ConfigurationModel &state, const CPRef &ref)
{
    return lookUp<ConfigurationModel, CPItem>(state, ref);
}

const CPItem &itemAt(const ConfigurationModel &state, const CPRef &ref)
{
    return lookUp<const ConfigurationModel, const CPItem>(state, ref);
}

const CPList *listAt(const std::vector<Frame> &frames, const CPRef &ref)
{
    if (ref.f_idx < 0 || size_t(ref.f_idx) >= frames.size())
        return nullptr;
    const Frame &frame = frames[size_t(ref.f_idx)];
    if (ref.g_idx < 0 || size_t(ref.g_idx) >= frame.groups.size())
        return nullptr;
    const Group &group = frame.groups[size_t(ref.g_idx)];
    if (ref.i_idx < 0 || size_t(ref.i_idx) >= group.lists.size())
        return nullptr;
    return &group.lists[size_t(ref.i_idx)];
}

CPItem *findItemByTag(ConfigurationModel &state, int16_t f, const QString &tag)
{
    if (f < 0 || size_t(f) >= state.frames.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    for (auto &group : state.frames[size_t(f)].groups)
        for (auto &item : group.items)
            if (item.CPTag == tag)
                return &item;
    return nullptr;
}

} // namespace tavik
