#include "config/layout_limits.h"

namespace tavik {

bool shownInSlot(const CPItem &item, int c)
{
    if (item.location == OnlyDocument)
        return c == 0;
    if (item.location == OnlyConfigurations)
        return c > 0;
    return true;
}

namespace {

// One counter of the layout: how far it went and where it first passed the limit.
struct Counter {
    int16_t stage;
    const char *what;
    long long count = 0;
    QString frame{};
    QString group{};
    bool passed = false;

    // Advances by one; true the first time the count passes the limit.
    bool step(int limit, const Frame &f, const Group &g)
    {
        ++count;
        if (count > limit && !passed) {
            passed = true;
            frame = f.name;
            group = g.name;
            return true;
        }
        return false;
    }
};

QString slotText(int slotCount)
{
    return slotCount <= 1 ? QStringLiteral("the document alone")
        : slotCount == 2  ? QStringLiteral("the document and its 1 configuration")
                          : QStringLiteral("the document and its %1 configurations").arg(slotCount - 1);
}

QString tooManyFrames(long long count, int limit)
{
    return QStringLiteral("the configuration has %1 frames; the editor shows at most %2").arg(count).arg(limit + 1LL);
}

} // namespace

struct LayoutCounter::Counters {
    Counters(int slotTotal, int counterLimit, Frames counted)
        : slotCount(slotTotal)
        , limit(counterLimit)
        , loadedOnly(counted == Frames::Loaded)
    {
    }

    int slotCount;
    int limit;
    bool loadedOnly;
    long long frames = 0;
    bool broken = false;
    Counter pages{4, "tab pages (one per tab)"};
    Counter labels{2, "label places (two per field label)"};
    Counter textBoxes{3, "text fields"};
    Counter combos{1, "drop-down lists (list fields and list selectors)"};
    Counter *first = nullptr;

    void step(Counter &counter, const Frame &f, const Group &g)
    {
        if (counter.step(limit, f, g) && !first)
            first = &counter;
    }
};

LayoutCounter::LayoutCounter(int slotCount, int limit, Frames frames)
    : m_counters(std::make_unique<Counters>(slotCount, limit, frames))
{
}

LayoutCounter::~LayoutCounter() = default;

void LayoutCounter::count(const std::vector<Frame> &frames, const Frame &frame)
{
    Counters &n = *m_counters;
    if (n.broken)
        return;
    ++n.frames;
    for (const Group &group : frame.groups) {
        for (int c = 0; c < n.slotCount; ++c) {
            n.step(n.pages, frame, group);
            size_t i = 0;
            while (i < group.items.size()) {
                const CPItem &item = group.items[i];
                if (!shownInSlot(item, c)) {
                    ++i;
                    continue;
                }
                size_t span = 0;
                if (n.loadedOnly) {
                    if (!item.inList) {
                        n.step(n.labels, frame, group);
                        n.step(n.labels, frame, group);
                    }
                    ++i;
                    continue;
                }
                if (item.inList) {
                    const CPList *list = listAt(frames, item.listRef);
                    // A broken reference stops the layout with its own error.
                    if (!list || list->members.empty() || i + list->members.size() > group.items.size()) {
                        n.broken = true;
                        return;
                    }
                    span = list->members.size() - 1;
                    n.step(n.combos, frame, group);
                } else {
                    n.step(n.labels, frame, group);
                    ++n.labels.count; // the label counter takes two steps per label
                }
                for (size_t k = 0; k <= span; ++k)
                    n.step(group.items[i + k].type == QLatin1String("list") ? n.combos : n.textBoxes, frame, group);
                i += span + 1;
            }
        }
    }
}

std::optional<LayoutLimitBreach> LayoutCounter::breach(bool allFramesCounted) const
{
    const Counters &n = *m_counters;
    if (n.broken)
        return std::nullopt;
    if (n.frames > n.limit + 1LL)
        return LayoutLimitBreach{5, tooManyFrames(n.frames, n.limit)};
    if (!n.first)
        return std::nullopt;
    return LayoutLimitBreach{n.first->stage,
        QStringLiteral("the form needs %1%2 %3 for %4, more than the %5 the editor can make; the limit is passed "
                       "in frame \"%6\", tab \"%7\"")
            .arg(allFramesCounted ? QString() : QStringLiteral("at least "))
            .arg(n.first->count)
            .arg(QLatin1String(n.first->what))
            .arg(slotText(n.slotCount))
            .arg(n.limit)
            .arg(n.first->frame, n.first->group)};
}

std::optional<LayoutLimitBreach> layoutLimitBreach(const std::vector<Frame> &frames, int slotCount, int limit)
{
    if (frames.size() > size_t(limit) + 1)
        return LayoutLimitBreach{5, tooManyFrames(static_cast<long long>(frames.size()), limit)};
    LayoutCounter counter(slotCount, limit);
    for (const Frame &frame : frames)
        counter.count(frames, frame);
    return counter.breach();
}

} // namespace tavik
