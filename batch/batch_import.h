#pragma once
// tavik-batch import: a sheet of the export's form checked cell by cell against the rules of each
// item and, when every cell is valid, written into the documents it names. A cell that holds what
// the document holds is no change; any other cell sets its value; composites follow their parts.

#include "batch/batch_configuration.h"
#include "batch/import_journal.h"
#include "batch/sheet.h"

#include <QStringList>
#include <vector>

namespace tavik {

class BatchDocument;
class Progress;

// A cell that refuses the sheet, or (refusing false) one that is only worth a note.
struct SheetIssue {
    QString path;
    QString configuration;
    QString property;
    QString value;
    QString reason;
    bool refusing = true;
};

struct ImportPlan {
    std::vector<DocumentChanges> documents; // only documents with changes, in the sheet's order
    std::vector<SheetIssue> issues;
    qint64 documentsRead = 0;

    qsizetype refusals() const;
};

// The changes that the rows naming one document make to it; refusals go to issues.
std::vector<PropertyChange> planDocument(const BatchConfiguration &config, const BatchDocument &doc,
    const std::vector<const SheetRow *> &rows, std::vector<SheetIssue> &issues);

// Reads every document the sheet names and plans its changes. Nothing is written.
ImportPlan planImport(const BatchConfiguration &config, const Sheet &sheet, Progress &progress);

struct ApplyOutcome {
    qint64 saved = 0;
    QStringList problems; // documents that could not be saved; the others are
};

// Writes the planned changes, each document atomically and only when its file is still what was
// read when the plan was made. record is journalled under a new ID before the first document and
// again at the end, with the identity of each file written.
ApplyOutcome applyImport(ImportRecord &record, ImportJournal &journal, Progress &progress);

// Puts a journalled change list back into a document: old values restored, properties the import
// added removed.
void revertChanges(BatchDocument &doc, const std::vector<PropertyChange> &changes);

} // namespace tavik
