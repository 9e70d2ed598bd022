#pragma once
// tavik-batch undo: puts back the old values of a journalled import, document by document. A
// document whose file is no longer what the import wrote is named and skipped unless forced.

#include "batch/import_journal.h"

#include <QStringList>

namespace tavik {

class Progress;

struct UndoOutcome {
    bool found = false; // false: no such import, or none left to undo (message says which)
    QString message;
    QString id;
    qint64 restored = 0;
    QStringList skipped; // documents changed since the import, left alone
    QStringList problems; // documents that could not be read or saved
};

// Undoes the import named id, or the last one not yet undone when id is empty.
UndoOutcome undoImport(ImportJournal &journal, const QString &id, bool force, Progress &progress);

// One line per journalled import, oldest first: ID, time, state, documents, changes, sheet.
QStringList listImports(const ImportJournal &journal);

} // namespace tavik
