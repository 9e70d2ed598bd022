#include "serial/remote_counter_store.h"

#include <QByteArray>
#include <QSysInfo>

#include "platform/wait_limit.h"

#include <libpq-fe.h>
#include <poll.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <limits>
#include <vector>

namespace tavik {

namespace {

constexpr int64_t MaxIndex = std::numeric_limits<int32_t>::max();

// The server gives up on a lock wait at the limit and on a statement a second later, and says so;
// the workstation waits this much longer for that answer before it takes the server for stalled.
constexpr int GraceSeconds = 2;

// Waits until the connection's socket is ready for events; false when the deadline passed first.
bool waitForSocket(PGconn *conn, short events, const QDeadlineTimer &deadline)
{
    pollfd watched{PQsocket(conn), events, 0};
    for (;;) {
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return false;
        const int ready = poll(&watched, 1, int(left));
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return true; // a socket fault is libpq's to read and report
        if (ready == 0)
            return false;
    }
}

// Serialises the creation of the tables between workstations that find them missing at the
// same moment: CREATE TABLE IF NOT EXISTS alone can still collide in the system catalogue.
constexpr const char *SchemaLockKey = "7243781";

const char *const Schema
    = "CREATE TABLE IF NOT EXISTS tavik_counters (\n"
      "    name_key     text PRIMARY KEY,   -- the counter name case-folded: names compare without case\n"
      "    counter_name text NOT NULL,      -- the name as first written\n"
      "    next_index   integer NOT NULL CHECK (next_index >= 0)\n"
      ");\n"
      "CREATE TABLE IF NOT EXISTS tavik_counter_audit (\n"
      "    id             bigserial PRIMARY KEY,\n"
      "    at             timestamptz NOT NULL DEFAULT now(),\n"
      "    counter_name   text NOT NULL,\n"
      "    action         text NOT NULL CHECK (action IN ('draw', 'set', 'reset')),\n"
      "    drawn_index    integer,          -- the index handed out; empty for set and reset\n"
      "    next_index     integer NOT NULL, -- the index the counter hands out next\n"
      "    user_name      text NOT NULL,    -- the login on the workstation\n"
      "    host_name      text NOT NULL,    -- the workstation\n"
      "    document_title text NOT NULL,\n"
      "    db_user        text NOT NULL DEFAULT session_user,\n"
      "    client_addr    inet DEFAULT inet_client_addr()\n"
      ");\n"
      "CREATE INDEX IF NOT EXISTS tavik_counter_audit_by_counter ON tavik_counter_audit (counter_name, at);\n";

// $1 name key, $2 user, $3 host, $4 document title, $5 counter name as written.
const char *const AuditColumns
    = "INSERT INTO tavik_counter_audit (counter_name, action, drawn_index, next_index, user_name, host_name,"
      " document_title) ";

// The last index cannot be handed out: the counter would have nowhere to go. Such a counter is
// left as it is and draws nothing, as in the local store.
const QByteArray DrawExisting
    = QByteArray("WITH drawn AS (UPDATE tavik_counters SET next_index = next_index + 1"
                 " WHERE name_key = $1 AND next_index < 2147483647 RETURNING counter_name, next_index),"
                 " logged AS (")
    + AuditColumns
    + "SELECT counter_name, 'draw', next_index - 1, next_index, $2, $3, $4 FROM drawn)"
      " SELECT next_index - 1 FROM drawn";

// One statement creates the counter or, when another workstation created it first, draws from
// that one: two people creating a counter at once get distinct numbers.
const QByteArray DrawOrCreate
    = QByteArray(
          "WITH drawn AS (INSERT INTO tavik_counters AS c (name_key, counter_name, next_index) VALUES ($1, $5, 1)"
          " ON CONFLICT (name_key) DO UPDATE SET next_index = c.next_index + 1 WHERE c.next_index < 2147483647"
          " RETURNING c.counter_name, c.next_index),"
          " logged AS (")
    + AuditColumns
    + "SELECT counter_name, 'draw', next_index - 1, next_index, $2, $3, $4 FROM drawn)"
      " SELECT next_index - 1 FROM drawn";

// $6 the next index, $7 the action.
const QByteArray Write
    = QByteArray(
          "WITH written AS (INSERT INTO tavik_counters AS c (name_key, counter_name, next_index) VALUES ($1, $5, $6)"
          " ON CONFLICT (name_key) DO UPDATE SET next_index = EXCLUDED.next_index RETURNING c.counter_name, "
          "c.next_index) ")
    + AuditColumns + "SELECT counter_name, $7, NULL, next_index, $2, $3, $4 FROM written";

QByteArray nameKey(const QString &name)
{
    return name.toCaseFolded().toUtf8();
}

QString workstationUser()
{
    for (const char *variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString user = qEnvironmentVariable(variable);
        if (!user.isEmpty())
            return user;
    }
    if (const passwd *entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

} // namespace

class RemoteCounterStore::Result {
public:
    explicit Result(PGresult *result)
        : m_result(result)
    {
    }
    bool ok() const
    {
        const ExecStatusType status = PQresultStatus(m_result.get());
        return status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK;
    }
    int rows() const { return PQntuples(m_result.get()); }
    QByteArray sqlState() const { return QByteArray(PQresultErrorField(m_result.get(), PG_DIAG_SQLSTATE)); }
    QString text(int row, int column) const { return QString::fromUtf8(PQgetvalue(m_result.get(), row, column)); }
    // Empty when there is no result at all (the client ran out of memory).
    QString error() const { return QString::fromUtf8(PQresultErrorMessage(m_result.get())); }

private:
    struct Clear {
        void operator()(PGresult *r) const { PQclear(r); }
    };
    std::unique_ptr<PGresult, Clear> m_result;
};

void RemoteCounterStore::Closer::operator()(pg_conn *conn) const
{
    PQfinish(conn);
}

RemoteCounterStore::RemoteCounterStore(Server server, DocumentTitle documentTitle)
    : m_server(std::move(server))
    , m_documentTitle(std::move(documentTitle))
    , m_limitSeconds(waitLimitSeconds())
{
}

RemoteCounterStore::~RemoteCounterStore() = default;

QString RemoteCounterStore::serverLabel() const
{
    return m_server.host + QLatin1Char(':') + QString::number(m_server.port);
}

const char *RemoteCounterStore::schemaSql()
{
    return Schema;
}

void RemoteCounterStore::fail(const QString &reason) const
{
    throw CounterStoreError(QStringLiteral("Numbering server ") + serverLabel() + QStringLiteral(" could not be used: ")
        + reason.simplified());
}

QDeadlineTimer RemoteCounterStore::callDeadline() const
{
    return QDeadlineTimer(std::chrono::seconds(m_limitSeconds + GraceSeconds));
}

void RemoteCounterStore::failOn(const Result &result)
{
    const QByteArray state = result.sqlState();
    const QString limit = QString::number(m_limitSeconds) + QStringLiteral(" s");
    QString reason;
    if (state == "55P03")
        reason = QStringLiteral("the counter is locked by another session and stayed locked for ") + limit
            + QStringLiteral("; nothing was drawn or changed");
    else if (state == "57014")
        reason = QStringLiteral("the server did not finish the statement within the wait limit of ") + limit
            + QStringLiteral("; nothing was drawn or changed");
    else
        reason = result.error();
    if (reason.isEmpty() && m_conn)
        reason = QString::fromUtf8(PQerrorMessage(m_conn.get()));
    m_conn.reset();
    fail(reason);
}

void RemoteCounterStore::connect()
{
    if (m_server.host.isEmpty())
        fail(QStringLiteral("the configuration names no server (serverName)"));
    if (m_server.port < 1 || m_server.port > 65535)
        fail(QStringLiteral("the configuration's serverPort is no TCP port"));

    const QByteArray host = m_server.host.toUtf8();
    const QByteArray port = QByteArray::number(m_server.port);
    const QByteArray limit = QByteArray::number(m_limitSeconds);
    // An empty value leaves the parameter to libpq's environment.
    const QByteArray connectTimeout = qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT") ? QByteArray() : limit;
    // Keepalives find a link that died while idle or waiting; tcp_user_timeout a server that no
    // longer acknowledges what is sent to it.
    const QByteArray probeInterval = QByteArray::number(std::max(1, m_limitSeconds / 3));
    const QByteArray userTimeout = QByteArray::number(m_limitSeconds * 1000);
    const char *keys[] = {"host", "port", "connect_timeout", "keepalives", "keepalives_idle", "keepalives_interval",
        "keepalives_count", "tcp_user_timeout", "fallback_application_name", nullptr};
    const char *values[] = {host.constData(), port.constData(), connectTimeout.constData(), "1", limit.constData(),
        probeInterval.constData(), "3", userTimeout.constData(), "Tavik", nullptr};
    std::unique_ptr<pg_conn, Closer> conn(PQconnectdbParams(keys, values, 0));
    if (!conn)
        fail(QStringLiteral("out of memory"));
    if (PQstatus(conn.get()) != CONNECTION_OK)
        fail(QString::fromUtf8(PQerrorMessage(conn.get())));
    // Queries are sent and awaited under a deadline of the store's own.
    if (PQsetnonblocking(conn.get(), 1) != 0)
        fail(QString::fromUtf8(PQerrorMessage(conn.get())));
    m_conn = std::move(conn);

    // The server itself ends a wait for a locked counter at the limit, and a transaction its
    // client left open. A statement may run a second longer, so that a lock wait is reported as
    // such rather than as a statement that ran too long.
    const QDeadlineTimer deadline = callDeadline();
    const QByteArray limitMs = QByteArray::number(m_limitSeconds * 1000);
    const QByteArray statementMs = QByteArray::number(m_limitSeconds * 1000 + 1000);
    const Result bounded = exchange("SELECT set_config('statement_timeout', $2, false),"
                                    " set_config('lock_timeout', $1, false),"
                                    " set_config('idle_in_transaction_session_timeout', $1, false)",
        {limitMs, statementMs}, deadline);
    if (!bounded.ok())
        failOn(bounded);
    ensureSchema(deadline);
}

void RemoteCounterStore::ensureSchema(const QDeadlineTimer &deadline)
{
    // Users without the right to create tables work on tables their administrator made.
    const Result present = exchange("SELECT to_regclass('tavik_counters') IS NOT NULL"
                                    " AND to_regclass('tavik_counter_audit') IS NOT NULL",
        {}, deadline);
    if (!present.ok())
        failOn(present);
    if (present.rows() == 1 && present.text(0, 0) == QLatin1String("t"))
        return;
    // One query string runs as one transaction, which the advisory lock lasts for.
    const QByteArray create = QByteArray("SELECT pg_advisory_xact_lock(") + SchemaLockKey + ");\n" + Schema;
    const Result created = exchange(create.constData(), {}, deadline);
    if (!created.ok())
        failOn(created);
}

RemoteCounterStore::Result RemoteCounterStore::exchange(
    const char *sql, const std::vector<QByteArray> &params, const QDeadlineTimer &deadline, bool committing)
{
    PGconn *conn = m_conn.get();
    std::vector<const char *> values;
    for (const QByteArray &p : params)
        values.push_back(p.constData());
    const bool sent = params.empty()
        ? PQsendQuery(conn, sql) == 1
        : PQsendQueryParams(conn, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0) == 1;
    if (!sent)
        return Result(nullptr);

    bool answered = true;
    for (int unsent = PQflush(conn); unsent == 1 && answered; unsent = PQflush(conn)) {
        answered = waitForSocket(conn, POLLIN | POLLOUT, deadline);
        if (answered && !PQconsumeInput(conn))
            return Result(nullptr);
    }
    std::optional<Result> kept;
    while (answered) {
        while (PQisBusy(conn) && (answered = waitForSocket(conn, POLLIN, deadline)))
            if (!PQconsumeInput(conn))
                return Result(nullptr);
        if (!answered)
            break;
        PGresult *next = PQgetResult(conn);
        if (!next)
            return kept ? std::move(*kept) : Result(nullptr);
        if (!kept || kept->ok())
            kept.emplace(next);
        else
            PQclear(next);
    }
    m_conn.reset();
    const QString limit = QString::number(m_limitSeconds) + QStringLiteral(" s");
    fail(committing ? QStringLiteral("the server did not confirm the change within the wait limit of ") + limit
                + QStringLiteral("; no number was handed out, one may have been used up")
                    : QStringLiteral("the server did not answer within the wait limit of ") + limit
                + QStringLiteral("; nothing was drawn or changed"));
}

RemoteCounterStore::Result RemoteCounterStore::run(const char *sql, const std::vector<QByteArray> &params)
{
    if (!m_conn)
        connect();
    // The statement runs in a transaction that is committed only once its answer is in: a call
    // given up on leaves an open transaction behind, which the server rolls back when the
    // connection closes, however late the stalled statement goes on.
    QDeadlineTimer deadline = callDeadline();
    Result begun = exchange("BEGIN", {}, deadline);
    if (!begun.ok() && PQstatus(m_conn.get()) == CONNECTION_BAD) {
        // A connection that died while idle (the server restarted, say) is found out only now.
        // Nothing was done on it, so one fresh connection is tried.
        m_conn.reset();
        connect();
        deadline = callDeadline();
        begun = exchange("BEGIN", {}, deadline);
    }
    if (!begun.ok())
        failOn(begun);
    Result result = exchange(sql, params, deadline);
    if (!result.ok())
        failOn(result);
    const Result committed = exchange("COMMIT", {}, deadline, true);
    if (!committed.ok())
        failOn(committed);
    return result;
}

std::vector<QByteArray> RemoteCounterStore::auditParameters(const QString &name) const
{
    QString title;
    try {
        if (m_documentTitle)
            title = m_documentTitle();
    } catch (const std::exception &) {
        // The audit row then lacks the title: not a reason to refuse the number.
    }
    return {
        nameKey(name), workstationUser().toUtf8(), QSysInfo::machineHostName().toUtf8(), title.toUtf8(), name.toUtf8()};
}

CounterStore::Draw RemoteCounterStore::next(const QString &name, bool create)
{
    std::vector<QByteArray> params = auditParameters(name);
    if (!create)
        params.pop_back();
    const Result drawn = run(create ? DrawOrCreate.constData() : DrawExisting.constData(), params);
    if (drawn.rows() == 1)
        return {Outcome::Drawn, drawn.text(0, 0).toInt()};
    if (create)
        return {Outcome::Unusable, -1};
    return entry(name) ? Draw{Outcome::Unusable, -1} : Draw{Outcome::Missing, -1};
}

std::optional<QString> RemoteCounterStore::entry(const QString &name)
{
    const Result found = run("SELECT next_index FROM tavik_counters WHERE name_key = $1", {nameKey(name)});
    if (found.rows() == 0)
        return std::nullopt;
    return found.text(0, 0);
}

void RemoteCounterStore::write(const QString &name, int64_t nextIndex, const char *action)
{
    std::vector<QByteArray> params = auditParameters(name);
    params.push_back(QByteArray::number(qlonglong(nextIndex)));
    params.push_back(action);
    run(Write.constData(), params);
}

void RemoteCounterStore::set(const QString &name, int64_t nextIndex)
{
    if (nextIndex < 0 || nextIndex > MaxIndex)
        throw RuntimeError(err::Overflow, errorDescription(err::Overflow));
    write(name, nextIndex, "set");
}

void RemoteCounterStore::reset(const QString &name)
{
    write(name, 1, "reset");
}

} // namespace tavik
