#pragma once
// The throwaway numbering server that scripts/pg-test-server started, as the tests see it: where
// it is (TAVIK_PG_* variables), a schema of a test's own on it, and stopping and starting it.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <stdexcept>

namespace tavik::test {

class TestPgServer {
public:
    // Nothing when no server is configured: the tests that need one skip.
    static std::optional<TestPgServer> fromEnvironment()
    {
        if (qEnvironmentVariableIsEmpty("TAVIK_PG_HOST") || qEnvironmentVariableIsEmpty("TAVIK_PG_PORT"))
            return std::nullopt;
        TestPgServer s;
        s.host = qEnvironmentVariable("TAVIK_PG_HOST");
        s.port = qEnvironmentVariableIntValue("TAVIK_PG_PORT");
        return s;
    }
    static constexpr const char *SkipReason
        = "no numbering server: start one with eval \"$(scripts/pg-test-server start)\"";

    // Points libpq of this process and its children at the server's database and login, and at
    // a schema of its own, so that the store creates its tables there afresh.
    void useFreshSchema()
    {
        qputenv("PGDATABASE", qgetenv("TAVIK_PG_DATABASE"));
        qputenv("PGUSER", qgetenv("TAVIK_PG_USER"));
        qputenv("PGPASSFILE", qgetenv("TAVIK_PG_PASSFILE"));
        qunsetenv("PGPASSWORD");
        qunsetenv("PGOPTIONS");
        schema = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128);
        rows(QStringLiteral("CREATE SCHEMA ") + schema);
        qputenv("PGOPTIONS", QByteArray("-c search_path=") + schema.toUtf8());
    }

    // Rows of a query in the test's schema, columns joined by "|".
    QStringList rows(const QString &sql)
    {
        Conn conn(connect());
        std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(conn.get(), sql.toUtf8().constData()), &PQclear);
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK && PQresultStatus(r.get()) != PGRES_TUPLES_OK)
            throw std::runtime_error(PQresultErrorMessage(r.get()));
        QStringList out;
        for (int row = 0; row < PQntuples(r.get()); ++row) {
            QStringList cols;
            for (int col = 0; col < PQnfields(r.get()); ++col)
                cols << QString::fromUtf8(PQgetvalue(r.get(), row, col));
            out << cols.join('|');
        }
        return out;
    }

    // The server stopped and started again, as an administrator's restart or an outage would.
    bool down() { return control("down"); }
    bool up() { return control("up"); }

    QString host;
    int port = 0;
    QString schema;

private:
    using Conn = std::unique_ptr<PGconn, decltype(&PQfinish)>;
    Conn connect()
    {
        const QByteArray h = host.toUtf8(), p = QByteArray::number(port);
        const char *keys[] = {"host", "port", nullptr};
        const char *values[] = {h.constData(), p.constData(), nullptr};
        Conn conn(PQconnectdbParams(keys, values, 0), &PQfinish);
        if (PQstatus(conn.get()) != CONNECTION_OK)
            throw std::runtime_error(PQerrorMessage(conn.get()));
        return conn;
    }
    bool control(const char *command)
    {
        return QProcess::execute(qEnvironmentVariable("TAVIK_PG_CONTROL"),
                   {QString::fromLatin1(command), qEnvironmentVariable("TAVIK_PG_DIR")})
            == 0;
    }
};

} // namespace tavik::test
