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
    const Frame *frame = nullptr;
    const Group *group = nullptr;

    // Advances by one; true the first time the count passes the limit.
    bool step(int limit, const Frame &f, const Group &g)
    {
        ++count;
        if (count > limit && !frame) {
            frame = &f;
            group = &g;
            return true;
        }
        return false;
    }
};

} // namespace

std::optional<LayoutLimitBreach> layoutLimitBreach(const std::vector<Frame> &frames, int slotCount, int limit)
{
    const QString slotText = slotCount <= 1 ? QStringLiteral("the document alone")
        : slotCount == 2                    ? QStringLiteral("the document and its 1 configuration")
                         : QStringLiteral("the document and its %1 configurations").arg(slotCount - 1);
    if (frames.size() > size_t(limit) + 1)
        return LayoutLimitBreach{5,
            QStringLiteral("the configuration has %1 frames; the editor shows at most %2")
                .arg(frames.size())
                .arg(limit + 1LL)};

    Counter pages{4, "tab pages (one per tab)"};
    Counter labels{2, "label places (two per field label)"};
    Counter textBoxes{3, "text fields"};
    Counter combos{1, "drop-down lists (list fields and list selectors)"};
    Counter *first = nullptr;
    auto step = [&](Counter &counter, const Frame &f, const Group &g) {
        if (counter.step(limit, f, g) && !first)
            first = &counter;
    };

    for (const Frame &frame : frames) {
        for (const Group &group : frame.groups) {
            for (int c = 0; c < slotCount; ++c) {
                step(pages, frame, group);
                size_t i = 0;
                while (i < group.items.size()) {
                    const CPItem &item = group.items[i];
                    if (!shownInSlot(item, c)) {
                        ++i;
                        continue;
                    }
                    size_t span = 0;
                    if (item.inList) {
                        const CPList *list = listAt(frames, item.listRef);
                        // A broken reference stops the layout with its own error.
                        if (!list || list->members.empty() || i + list->members.size() > group.items.size())
                            return std::nullopt;
                        span = list->members.size() - 1;
                        step(combos, frame, group);
                    } else {
                        step(labels, frame, group);
                        ++labels.count; // the label counter takes two steps per label
                    }
                    for (size_t k = 0; k <= span; ++k)
                        step(group.items[i + k].type == QLatin1String("list") ? combos : textBoxes, frame, group);
                    i += span + 1;
                }
            }
        }
    }
    if (!first)
        return std::nullopt;
    return LayoutLimitBreach{first->stage,
        QStringLiteral("the form needs %1 %2 for %3, more than the %4 the editor can make; the limit is passed "
                       "in frame \"%5\", tab \"%6\"")
            .arg(first->count)
            .arg(QLatin1String(first->what))
            .arg(slotText)
            .arg(limit)
            .arg(first->frame->name, first->group->name)};
}

} // namespace tavik
