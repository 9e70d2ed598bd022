#pragma once
// The editor's layout makes its pages, labels, text boxes and drop-down lists from counters that
// stop above a limit (9999). This counts them for a model and a number of configuration slots
// without a window, so that the editor and tavik-check refuse the same configurations and say
// which limit was passed, by what, and where.

#include "config/model.h"

#include <QString>
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

// The first limit that building the layout would pass, in the order the layout builds (frames,
// then frame by frame, tab by tab, slot by slot); nothing when every counter fits. slotCount is the
// number of entries of the configuration list: the document and each of its configurations.
std::optional<LayoutLimitBreach> layoutLimitBreach(
    const std::vector<Frame> &frames, int slotCount, int limit = LayoutCounterLimit);

} // namespace tavik
