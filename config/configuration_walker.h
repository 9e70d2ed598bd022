#pragma once
// The walk of a validated configuration document that builds the property configuration model:
// settings, frames, their groups split into pages, items, lists, options and composites. It takes
// the document element's children one at a time, from a document read whole (the schema's
// defaults are in its tree) or streamed (they are kept apart by element kind).

#include "config/layout_limits.h"
#include "config/loader.h"

#include <QString>
#include <memory>
#include <vector>

namespace tavik {

class XmlDocument;
class XmlView;

// Anything in the validated document that the model cannot take: where it stands and why, for
// the checker's explanation (the editor's message stays the same whatever the cause).
struct WalkFailure {
    long line = 0;
    QString cause;
};

// A form that the editor could not lay out, found while reading.
struct FormTooLarge {
    LayoutLimitBreach breach;
};

// A system value that an item of the model gets, read once the whole document is known to load.
struct PendingSystemRead {
    CPRef item;
    QString name;
};

class ConfigurationWalker {
public:
    // loadStage: the stage that the walk and the system read service move. streamed: the
    // document's tree holds only what the file writes. layout, when given, counts each frame built
    // and stops the walk with FormTooLarge once a limit is passed. pendingReads, when given,
    // collects the system reads for later instead of reading at once. Throws WalkFailure.
    ConfigurationWalker(ConfigurationModel &model, int16_t &loadStage, const SystemValueReader &readSystemValue,
        bool streamed, LayoutCounter *layout, std::vector<PendingSystemRead> *pendingReads = nullptr);
    ~ConfigurationWalker();
    ConfigurationWalker(const ConfigurationWalker &) = delete;
    ConfigurationWalker &operator=(const ConfigurationWalker &) = delete;

    // A document read whole: each frame's elements are freed once the frame is built.
    void walk(XmlDocument &document);
    // One child of the document element, in document order.
    void take(const XmlView &child);

private:
    class Walk;
    std::unique_ptr<Walk> m_walk;
};

} // namespace tavik
