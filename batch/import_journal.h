#pragma once
// The journal of imports, kept in the per-user settings store (application "Tavik", section
// "batchImports", one entry per import named by its ID): what each import changed in each
// document, the old and the new values, and what the file was before and after, so that undo can
// put the old values back and see whether a document has changed since.

#include "batch/file_identity.h"

#include <QString>
#include <optional>
#include <vector>

namespace tavik {

class SettingsStore;

struct PropertyChange {
    QString level; // "" the document, else a configuration
    QString property;
    std::optional<QString> oldValue; // nothing: the level did not hold the property
    QString newValue;
};

struct DocumentChanges {
    QString path; // absolute
    FileIdentity before; // the file as read when the sheet was checked
    std::optional<FileIdentity> after; // the file as the import wrote it; nothing until written
    bool undone = false;
    std::vector<PropertyChange> changes;
};

struct ImportRecord {
    QString id;
    QString time; // UTC, ISO 8601
    QString sheet;
    enum class State { Applying, Done, Undone } state = State::Applying;
    std::vector<DocumentChanges> documents;

    qsizetype changeCount() const;
};

class ImportJournal {
public:
    explicit ImportJournal(SettingsStore &store)
        : m_store(store)
    {
    }

    // Gives record a new ID (the UTC time and a sequence number) and journals it.
    void create(ImportRecord &record);
    // Replaces the journalled record.
    void save(const ImportRecord &record);
    std::optional<ImportRecord> load(const QString &id) const;
    // IDs, oldest first.
    QStringList ids() const;

private:
    static QString recordText(const ImportRecord &record);
    SettingsStore &m_store;
};

QString stateName(ImportRecord::State state);

} // namespace tavik
