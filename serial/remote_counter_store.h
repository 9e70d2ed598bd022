#pragma once
// Counters on a PostgreSQL numbering server shared by every workstation of an office, so that no
// two people are handed the same number. Every draw, set and reset is one statement on the server
// and leaves a row in the audit table: who, from which host, for which document, when.

#include "serial/counter_store.h"

#include <QByteArray>
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
    // PGSERVICE, ...) and password file, as for any PostgreSQL client. A connection timeout of
    // 10 seconds applies unless PGCONNECT_TIMEOUT says otherwise.
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
    // reached, refuses the login, loses the connection or refuses the statement.
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
    Result runOnce(const char *sql, const std::vector<QByteArray> &params);
    void connect();
    void ensureSchema();
    // Name key, user, host, document title and name as written: the parameters every statement
    // that changes a counter takes first.
    std::vector<QByteArray> auditParameters(const QString &name) const;
    void write(const QString &name, int64_t nextIndex, const char *action);
    [[noreturn]] void fail(const QString &reason) const;

    Server m_server;
    DocumentTitle m_documentTitle;
    struct Closer {
        void operator()(pg_conn *conn) const;
    };
    std::unique_ptr<pg_conn, Closer> m_conn;
};

} // namespace tavik
