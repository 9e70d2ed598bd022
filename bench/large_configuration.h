#pragma once
// Writes a large, schema-valid configuration for the benchmarks: many frames of full pages, each
// page with plain items, a linked list, an unlinked list, a pick list and a composite.

#include <QString>

namespace tavik::bench {

struct LargeConfiguration {
    int frames = 10;
    int groupsPerFrame = 20;
    // Every group gets exactly one page's worth (12 children) of which 2 are lists of this size.
    int listMembers = 6;

    // The number of items that the configuration declares.
    int itemCount() const;
    QString xml() const;
};

// Writes Tavik.xml (generated) and Tavik.xsd (copied from schemaPath) into folder.
// Returns false when a file cannot be written.
bool writeLargeConfiguration(const LargeConfiguration &config, const QString &folder, const QString &schemaPath);

} // namespace tavik::bench
