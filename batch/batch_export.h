#pragma once
// tavik-batch export: one row per document level (the document, then each configuration) with the
// path, the configuration and one column per configured property, streamed to out as the
// documents are read. Two threads read the documents; rows come out in path order.

#include "batch/batch_configuration.h"
#include "batch/sheet_format.h"

#include <QStringList>
#include <cstdio>

namespace tavik {

struct ExportRequest {
    QStringList paths;
    SheetFormat format = SheetFormat::Csv;
    bool all = false; // also every property the documents hold that the configuration does not name
};

struct ExportOutcome {
    qint64 documents = 0;
    qint64 rows = 0;
    QStringList problems; // documents that could not be read, paths that do not exist
};

// Writes the sheet to out; progress goes to err when it is a terminal.
ExportOutcome exportDocuments(const BatchConfiguration &config, const ExportRequest &request, FILE *out, FILE *err);

} // namespace tavik
