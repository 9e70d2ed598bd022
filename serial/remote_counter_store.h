#pragma once
// Counters on a PostgreSQL numbering server shared by every workstation of an office, so that no
// two people are handed the same number. Every draw, set and reset is one statement on the server
// and leaves a row in the audit table: who, from which host, for which document, when.

#include "serial/counter_store.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct pg_conn;

namespace tavik {

class RemoteCounterStore : public CounterStore {
public:
    // Where the numbering server is: the configuration's serverName and serverPort. Database,
    // user and password come from libpq's own environment (PGDATABASE, PGUSER, PGPASSWORD,
    // PGSERVICE, ...) and password file, as for any PostgreSQL client. Every call is bounded by the
    // wait limit (waitLimitSeconds): connecting (unless PGCONNECT_TIMEOUT says otherwise), each
    // statement and each wait for a counter that another session holds locked; a server that
    // stops answering is given up a little later, and a dead link is found by TCP keepalives.
    struct Server {
        QString host;
        int32_t port = 0;
    };
    // The title of the document a number is drawn for, asked at every draw, set and reset.
    using DocumentTitle = std::function<QString()>;

    // Connects on first use, not here: an unreachable server is reported by the command that
    // needed it.
    RemoteCounterStore(Server server, DocumentTitle documentTitle);
    ~RemoteCounterStore() override;
    RemoteCounterStore(const RemoteCounterStore &) = delete;
    RemoteCounterStore &operator=(const RemoteCounterStore &) = delete;

    // All four throw CounterStoreError naming the server and the reason when the server cannot be
    // reached, refuses the login, loses the connection, refuses the statement or runs out of the
    // wait limit. Each change is a transaction that is committed only once its answer is in, so a
    // call that fails has drawn, set or used up nothing.
    Draw next(const QString &name, bool create) override;
    std::optional<QString> entry(const QString &name) override;
    void set(const QString &name, int64_t nextIndex) override;
    void reset(const QString &name) override;

    // "host:port", as messages and the editor's caption name the server.
    QString serverLabel() const;

    // The statements that create the two tables, for a server whose administrator prefers to
    // create them by hand (the store runs them itself on first use when they are missing).
    static const char *schemaSql();

private:
    class Result;
    Result run(const char *sql, const std::vector<QByteArray> &params);
    // Sends one query (several statements when it takes no parameters) and collects its answer
    // by the deadline: the first failing result, else the last. When the deadline passes first
    // the connection is dropped, which rolls back whatever it had begun, and the call fails;
    // committing says whether the query was the COMMIT, whose fate is then unknown.
    Result exchange(const char *sql, const std::vector<QByteArray> &params, const QDeadlineTimer &deadline,
        bool committing = false);
    QDeadlineTimer callDeadline() const;
    void connect();
    void ensureSchema(const QDeadlineTimer &deadline);
    // Drops the connection (a transaction left open on it is rolled back) and fails with the reason.
    [[noreturn]] void failOn(const Result &result);
    // Name key, user, host, document title and name as written: the parameters every statement
    // that changes a counter takes first.
    std::vector<QByteArray> auditParameters(const QString &name) const;
    void write(const QString &name, int64_t nextIndex, const char *action);
    [[noreturn]] void fail(const QString &reason) const;

    Server m_server;
    DocumentTitle m_documentTitle;
    int m_limitSeconds;
    struct Closer {
        void operator()(pg_conn *conn) const;
    };
    std::unique_ptr<pg_conn, Closer> m_conn;
};

} // namespace tavik
