#pragma once
// The editor's layout makes its pages, labels, text boxes and drop-down lists from counters that
// stop above a limit (9999). This counts them for a model and a number of configuration slots
// without a window, so that the editor and tavik-check refuse the same configurations and say
// which limit was passed, by what, and where.

#include "config/model.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace tavik {

struct LayoutLimitBreach {
    int16_t stage = 0; // the editor's load stage for that counter: 1 drop-down lists, 2 labels,
        // 3 text boxes, 4 pages, 5 frames
    QString reason; // the limit, the count that passed it, and the frame and tab where
};

constexpr int LayoutCounterLimit = 9999;

// Whether the item has a row on the page of slot c (0 the document, 1 and up the configurations),
// by its location.
bool shownInSlot(const CPItem &item, int c);

// The layout's counters, counted a frame at a time: a loader can stop at the first frame that
// passes a limit without reading the rest.
class LayoutCounter {
public:
    // What the frames counted are: resolved, as the editor lays them out, or just loaded, before
    // the lists are bound. Of a loaded frame only what binding cannot change is counted: one page
    // per tab and slot, and the labels of the fields outside lists, so that the count is the least
    // the resolved form needs.
    enum class Frames { Resolved, Loaded };

    LayoutCounter(int slotCount, int limit = LayoutCounterLimit, Frames frames = Frames::Resolved);
    ~LayoutCounter();
    LayoutCounter(const LayoutCounter &) = delete;
    LayoutCounter &operator=(const LayoutCounter &) = delete;

    // Counts the next frame; frames is the table it stands in, for its lists. A frame whose list
    // references are broken counts no further: its layout stops with an error of its own.
    void count(const std::vector<Frame> &frames, const Frame &frame);
    // The first limit passed by the frames counted so far; nothing once a frame's lists were
    // broken. allFramesCounted false says the count is the least the whole form needs.
    std::optional<LayoutLimitBreach> breach(bool allFramesCounted = true) const;

private:
    struct Counters;
    std::unique_ptr<Counters> m_counters;
};

// The first limit that building the layout would pass, in the order the layout builds (frames,
// then frame by frame, tab by tab, slot by slot); nothing when every counter fits. slotCount is the
// number of entries of the configuration list: the document and each of its configurations.
std::optional<LayoutLimitBreach> layoutLimitBreach(
    const std::vector<Frame> &frames, int slotCount, int limit = LayoutCounterLimit);

} // namespace tavik
