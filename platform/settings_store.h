#pragma once
// The per-user settings store: application / section / key / value texts in one SQLite file.
// Sections and keys (and applications) compare without regard to case; each key keeps the text it
// was first written with. Every write is a transaction, and update() reads and replaces an entry
// in one transaction that other processes cannot interleave, so counters never hand out a number
// twice.

#include "platform/runtime_error.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace tavik {

// A store that cannot be opened, read or written. The description names the file and the fault.
class SettingsError : public RuntimeError {
public:
    static constexpr int Number = 75; // path/file access error
    explicit SettingsError(const QString &why)
        : RuntimeError(Number, why)
    {
    }
};

class SettingsStore {
public:
    // TAVIK_SETTINGS when set, else $XDG_CONFIG_HOME/Tavik/settings.sqlite (~/.config by default).
    static QString defaultPath();

    // Opens the store, creating the file and its folder when missing. A file that is not a settings
    // database, or that cannot be read, throws SettingsError and is left as it is. An operation
    // that finds the store locked by another process waits up to busyTimeoutMs (below 0: the
    // editor's wait limit, waitLimitSeconds), then fails with a SettingsError that says so and
    // leaves the store as it was. Other editors' draws take milliseconds; a store held longer
    // belongs to a hung or stopped process.
    explicit SettingsStore(const QString &path = defaultPath(), int busyTimeoutMs = -1);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    const QString &path() const { return m_path; }

    QString read(const QString &app, const QString &section, const QString &key, const QString &defaultValue) const;
    std::optional<QString> value(const QString &app, const QString &section, const QString &key) const;
    void write(const QString &app, const QString &section, const QString &key, const QString &value);
    void deleteKey(const QString &app, const QString &section, const QString &key);
    // Keys of a section as first written, in the order they were created.
    QStringList keys(const QString &app, const QString &section) const;
    void deleteSection(const QString &app, const QString &section);

    // Reads the entry (nothing when missing) and writes what change returns (nothing: leave the
    // entry as it is), all in one write transaction. An exception from change rolls back and
    // propagates.
    using Change = std::function<std::optional<QString>(const std::optional<QString> &current)>;
    void update(const QString &app, const QString &section, const QString &key, const Change &change);

    // One write transaction over several changes: the store holds all of them or, when the
    // process dies or a change fails before commit(), none. Other processes wait meanwhile.
    class Transaction {
    public:
        explicit Transaction(SettingsStore &store);
        ~Transaction(); // rolls back unless committed
        Transaction(const Transaction &) = delete;
        Transaction &operator=(const Transaction &) = delete;
        void commit();

    private:
        SettingsStore &m_store;
        bool m_open = true;
    };

private:
    struct Closer {
        void operator()(sqlite3 *db) const;
    };
    [[noreturn]] void fail(const QString &what) const;
    // Runs one statement of this file's own text.
    void exec(const char *sql);
    // The statement for one of this file's SQL texts, prepared on first use and kept until the
    // store closes.
    sqlite3_stmt *prepared(const char *sql) const;

    QString m_path;
    std::unique_ptr<sqlite3, Closer> m_db;
    // Declared after m_db: they are finalized before the connection closes, also when the
    // constructor fails.
    struct Statements {
        std::map<const char *, sqlite3_stmt *> bySql;
        ~Statements();
    };
    mutable Statements m_statements;
};

} // namespace tavik
