#include "batch/batch_undo.h"

#include "batch/batch_document.h"
#include "batch/batch_import.h"
#include "batch/progress.h"
#include "host/document_file_error.h"

namespace tavik {

namespace {

// The import to undo: the one named, else the newest not yet undone.
std::optional<ImportRecord> chosenImport(const ImportJournal &journal, const QString &id, QString &message)
{
    if (!id.isEmpty()) {
        std::optional<ImportRecord> record = journal.load(id);
        if (!record)
            message = QStringLiteral("no import %1 in the journal").arg(id);
        else if (record->state == ImportRecord::State::Undone)
            message = QStringLiteral("import %1 has been undone already").arg(id);
        else
            return record;
        return std::nullopt;
    }
    const QStringList ids = journal.ids();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        std::optional<ImportRecord> record = journal.load(*it);
        if (record && record->state != ImportRecord::State::Undone)
            return record;
    }
    message = QStringLiteral("no import left to undo");
    return std::nullopt;
}

} // namespace

UndoOutcome undoImport(ImportJournal &journal, const QString &id, bool force, Progress &progress)
{
    UndoOutcome outcome;
    std::optional<ImportRecord> record = chosenImport(journal, id, outcome.message);
    if (!record)
        return outcome;
    outcome.found = true;
    outcome.id = record->id;
    bool complete = true;
    for (DocumentChanges &d : record->documents) {
        progress.step();
        if (d.undone)
            continue;
        const FileIdentity now = FileIdentity::ofFile(d.path);
        // An import stopped before it wrote this document left it as it was: nothing to put back.
        if (!d.after && now == d.before) {
            d.undone = true;
            continue;
        }
        if (!force && (!d.after || now != *d.after)) {
            outcome.skipped << d.path;
            complete = false;
            continue;
        }
        try {
            const std::unique_ptr<BatchDocument> doc = openBatchDocument(d.path);
            revertChanges(*doc, d.changes);
            doc->save();
            d.undone = true;
            ++outcome.restored;
        } catch (const DocumentFileError &e) {
            outcome.problems << e.message;
            complete = false;
        }
    }
    if (complete)
        record->state = ImportRecord::State::Undone;
    journal.save(*record);
    return outcome;
}

QStringList listImports(const ImportJournal &journal)
{
    QStringList lines;
    for (const QString &id : journal.ids()) {
        const std::optional<ImportRecord> r = journal.load(id);
        if (!r)
            continue;
        lines << QStringLiteral("%1  %2  %3  %4 documents  %5 changes  %6")
                     .arg(id, r->time, stateName(r->state))
                     .arg(r->documents.size())
                     .arg(r->changeCount())
                     .arg(r->sheet);
    }
    return lines;
}

} // namespace tavik
