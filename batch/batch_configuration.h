#pragma once
// The configuration tavik-batch works with: Tavik.xml loaded and resolved as the editor loads it,
// and the columns it gives, one per configured property in the configuration's order.

#include "config/shared_state.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace tavik {

struct BatchConfiguration {
    std::unique_ptr<SharedState> state;
    QStringList tags; // distinct CPTags, frames, groups and items in order
    QHash<QString, const CPItem *> rules; // the first item of each tag carries its rules
    std::vector<QHash<QString, const CPItem *>> frameRules; // the same within each frame

    // The item whose rules a property follows: the first item of that tag in frame (the frame the
    // document was last edited in), else the first in the whole configuration.
    const CPItem *item(const QString &tag, int frame = -1) const
    {
        if (frame >= 0 && size_t(frame) < frameRules.size())
            if (const CPItem *inFrame = frameRules[size_t(frame)].value(tag, nullptr))
                return inFrame;
        return rules.value(tag, nullptr);
    }
};

// The folder that holds Tavik.xml and Tavik.xsd: the one given, else the folder the editor would
// use, searched from the add-in's folder beside the program (build tree) or where the package
// installs it. The one place that decides it.
QString configurationFolder(const QString &given);

// Loads and resolves the configuration of folder. On failure returns nothing and puts the
// editor's title and message in error.
std::optional<BatchConfiguration> loadBatchConfiguration(const QString &folder, QString &error);

} // namespace tavik
