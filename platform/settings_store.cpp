#include "platform/settings_store.h"

#include "platform/wait_limit.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

#include <sqlite3.h>

namespace tavik {

namespace {

QString fold(const QString &s)
{
    return s.toCaseFolded();
}

[[noreturn]] void raise(const QString &path, const QString &fault)
{
    throw SettingsError(QStringLiteral("Settings store ") + path + QStringLiteral(": ") + fault);
}

// SQLite's "database is locked" does not tell the user that another program holds the file nor
// that the change was given up.
QString faultOf(sqlite3 *db, const char *message)
{
    if ((sqlite3_errcode(db) & 0xff) == SQLITE_BUSY)
        return QStringLiteral("another program keeps the store locked; gave up waiting, nothing was read or changed");
    return QString::fromUtf8(message ? message : sqlite3_errmsg(db));
}

[[noreturn]] void raise(const QString &path, sqlite3 *db)
{
    raise(path, faultOf(db, nullptr));
}

// One use of a statement that the store keeps prepared: it reports every SQLite fault as a
// SettingsError naming the file, and leaves the statement reset and unbound for the next use.
class Statement {
public:
    Statement(const QString &path, sqlite3 *db, sqlite3_stmt *stmt)
        : m_path(path)
        , m_db(db)
        , m_stmt(stmt)
    {
    }
    ~Statement()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        if (sqlite3_bind_text(m_stmt, ++m_bound, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            raise(m_path, m_db);
        return *this;
    }
    // Folded keys go beside the texts as written.
    Statement &bindKey(const QString &app, const QString &section, const QString &key)
    {
        return bind(fold(app)).bind(fold(section)).bind(fold(key));
    }
    // True while a row is available.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            raise(m_path, m_db);
        return false;
    }
    QString text(int column) const
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column));
    }

private:
    const QString &m_path;
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    int m_bound = 0;
};

const char *const Schema = "CREATE TABLE IF NOT EXISTS entries ("
                           " app TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
                           " app_folded TEXT NOT NULL, section_folded TEXT NOT NULL, key_folded TEXT NOT NULL,"
                           " UNIQUE (app_folded, section_folded, key_folded))";

} // namespace

void SettingsStore::Closer::operator()(sqlite3 *db) const
{
    sqlite3_close_v2(db);
}

QString SettingsStore::defaultPath()
{
    const QString overridden = qEnvironmentVariable("TAVIK_SETTINGS");
    if (!overridden.isEmpty())
        return overridden;
    // Follows XDG_CONFIG_HOME and falls back to ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tavik/settings.sqlite");
}

SettingsStore::SettingsStore(const QString &path, int busyTimeoutMs)
    : m_path(path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        raise(m_path, QStringLiteral("cannot create the folder ") + folder);

    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(
        QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    m_db.reset(db);
    if (rc != SQLITE_OK)
        raise(m_path, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"));
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyTimeoutMs < 0 ? waitLimitSeconds() * 1000 : busyTimeoutMs);
    // The first statement reads the file header: a file that is not a database fails here, before
    // anything is written to it.
    exec(Schema);
}

SettingsStore::~SettingsStore() = default;

SettingsStore::Statements::~Statements()
{
    // A statement left unfinalized would keep the connection open.
    for (const auto &[sql, stmt] : bySql)
        sqlite3_finalize(stmt);
}

sqlite3_stmt *SettingsStore::prepared(const char *sql) const
{
    // Each text is a literal of this file, so its address names it. Preparing costs about as much
    // as running these statements; a counter draws often.
    sqlite3_stmt *&stmt = m_statements.bySql[sql];
    if (!stmt && sqlite3_prepare_v3(m_db.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        m_statements.bySql.erase(sql);
        raise(m_path, m_db.get());
    }
    return stmt;
}

void SettingsStore::fail(const QString &what) const
{
    raise(m_path, what);
}

void SettingsStore::exec(const char *sql)
{
    Statement q(m_path, m_db.get(), prepared(sql));
    while (q.step()) { }
}

std::optional<QString> SettingsStore::value(const QString &app, const QString &section, const QString &key) const
{
    Statement q(m_path, m_db.get(),
        prepared("SELECT value FROM entries WHERE app_folded = ?1 AND section_folded = ?2 AND key_folded = ?3"));
    q.bindKey(app, section, key);
    if (!q.step())
        return std::nullopt;
    return q.text(0);
}

QString SettingsStore::read(
    const QString &app, const QString &section, const QString &key, const QString &defaultValue) const
{
    return value(app, section, key).value_or(defaultValue);
}

void SettingsStore::write(const QString &app, const QString &section, const QString &key, const QString &value)
{
    // A single statement is its own transaction. An existing entry keeps the key text it was
    // created with, as a registry does.
    Statement q(m_path, m_db.get(),
        prepared("INSERT INTO entries (app_folded, section_folded, key_folded, app, section, key, value)"
                 " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"
                 " ON CONFLICT (app_folded, section_folded, key_folded) DO UPDATE SET value = excluded.value"));
    q.bindKey(app, section, key).bind(app).bind(section).bind(key).bind(value);
    q.step();
}

void SettingsStore::deleteKey(const QString &app, const QString &section, const QString &key)
{
    Statement q(m_path, m_db.get(),
        prepared("DELETE FROM entries WHERE app_folded = ?1 AND section_folded = ?2 AND key_folded = ?3"));
    q.bindKey(app, section, key);
    q.step();
}

QStringList SettingsStore::keys(const QString &app, const QString &section) const
{
    Statement q(m_path, m_db.get(),
        prepared("SELECT key FROM entries WHERE app_folded = ?1 AND section_folded = ?2 ORDER BY rowid"));
    q.bind(fold(app)).bind(fold(section));
    QStringList result;
    while (q.step())
        result.append(q.text(0));
    return result;
}

void SettingsStore::deleteSection(const QString &app, const QString &section)
{
    Statement q(m_path, m_db.get(), prepared("DELETE FROM entries WHERE app_folded = ?1 AND section_folded = ?2"));
    q.bind(fold(app)).bind(fold(section));
    q.step();
}

void SettingsStore::update(const QString &app, const QString &section, const QString &key, const Change &change)
{
    Transaction changing(*this);
    if (const std::optional<QString> next = change(value(app, section, key)))
        write(app, section, key, *next);
    changing.commit();
}

SettingsStore::Transaction::Transaction(SettingsStore &store)
    : m_store(store)
{
    // IMMEDIATE takes the write lock before the first read, so no other process can read the same
    // value in between; the busy timeout makes concurrent callers queue instead of failing.
    m_store.exec("BEGIN IMMEDIATE");
}

SettingsStore::Transaction::~Transaction()
{
    // Also after a failed COMMIT, which leaves the transaction open.
    if (m_open)
        sqlite3_exec(m_store.m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SettingsStore::Transaction::commit()
{
    m_store.exec("COMMIT");
    m_open = false;
}

} // namespace tavik
