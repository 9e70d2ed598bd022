// The counters on the numbering server, against the throwaway PostgreSQL server of
// scripts/pg-test-server; every test works in a schema of its own, which the store fills with its
// tables on first use.

#include "config/model.h"
#include "platform/scripted_prompts.h"
#include "serial/concurrent_draws.h"
#include "serial/remote_counter_store.h"
#include "serial/test_pg_server.h"

#include <QSysInfo>
#include <signal.h>

using namespace tavik;
using tavik::test::TestPgServer;

namespace {

class RemoteCounters : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = TestPgServer::fromEnvironment();
        if (!server)
            GTEST_SKIP() << TestPgServer::SkipReason;
        server->useFreshSchema();
        qputenv("USER", "drafter1");
        counters = std::make_unique<RemoteCounterStore>(
            RemoteCounterStore::Server{server->host, server->port}, [this] { return title; });
        serial.prototype = "SN-####";
        serial.minVal = "SN-0100";
        serial.maxVal = "SN-0110";
        serial.incVal = 5;
        key.CPTag = "Project";
    }
    void TearDown() override { qunsetenv("PGOPTIONS"); }

    NextNumber draw(const QString &keyValue) { return getNextNum(serial, &key, keyValue, *counters, prompts); }
    QString serverLabel() const { return server->host + ":" + QString::number(server->port); }
    const RecordedBox &lastBox() { return prompts.boxes().back(); }

    std::optional<TestPgServer> server;
    std::unique_ptr<RemoteCounterStore> counters;
    QString title = "Bracket.sldprt";
    ScriptedPrompts prompts;
    CPItem serial, key;
};

TEST_F(RemoteCounters, DrawSetAndResetCountAsLocallyAndAreAudited)
{
    prompts.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(draw("4711").number, -1);
    EXPECT_EQ(counters->entry("Project·4711"), std::nullopt);
    EXPECT_EQ(lastBox().text, "Create a new index for [Project·4711] ?     ");

    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(draw("4711").number, 100);
    title = "Plate.sldprt";
    EXPECT_EQ(draw("4711").number, 105); // asked only once
    EXPECT_EQ(prompts.boxes().size(), 2u);
    counters->set("PROJECT·4711", 2); // names compare without regard to case
    EXPECT_EQ(draw("4711").number, 110);
    EXPECT_EQ(draw("4711").number, 100); // rollover: the counter itself goes on
    EXPECT_EQ(counters->entry("project·4711"), QString("4"));
    counters->reset("Project·4711");
    EXPECT_EQ(counters->entry("Project·4711"), QString("1"));
    EXPECT_THROW(counters->set("Project·4711", 2147483648LL), RuntimeError);

    // The last index cannot be handed out; the counter is left as it is.
    counters->set("Tavik", 2147483647);
    EXPECT_EQ(counters->next("Tavik", false).outcome, CounterStore::Outcome::Unusable);
    EXPECT_EQ(counters->next("Tavik", true).outcome, CounterStore::Outcome::Unusable);
    EXPECT_EQ(counters->entry("Tavik"), QString("2147483647"));

    const QString who = "|drafter1|" + QSysInfo::machineHostName() + "|";
    EXPECT_EQ(server->rows("SELECT counter_name, action, drawn_index, next_index, user_name, host_name,"
                           " document_title, db_user FROM tavik_counter_audit WHERE counter_name <> 'Tavik'"
                           " ORDER BY id"),
        QStringList({"Project·4711|draw|0|1" + who + "Bracket.sldprt|tavik",
            "Project·4711|draw|1|2" + who + "Plate.sldprt|tavik", "Project·4711|set||2" + who + "Plate.sldprt|tavik",
            "Project·4711|draw|2|3" + who + "Plate.sldprt|tavik", "Project·4711|draw|3|4" + who + "Plate.sldprt|tavik",
            "Project·4711|reset||1" + who + "Plate.sldprt|tavik"}));
    EXPECT_EQ(server->rows("SELECT count(*) FROM tavik_counter_audit WHERE at > now() - interval '1 hour'"
                           " AND client_addr = '127.0.0.1'"),
        QStringList({"7"}));
}

TEST_F(RemoteCounters, WorkstationsDrawingAtOnceNeverGetTheSameIndex)
{
    // A fresh schema and counter: the processes also race to create the tables and the counter.
    constexpr int processes = 4, draws = 50;
    EXPECT_EQ(
        drawConcurrently(processes, draws, {"remote", server->host, QString::number(server->port), "Project·4711"}),
        eachIndexOnce(processes * draws));
    EXPECT_EQ(counters->entry("PROJECT·4711"), QString::number(processes * draws));
    EXPECT_EQ(server->rows("SELECT count(DISTINCT drawn_index) FROM tavik_counter_audit"),
        QStringList({QString::number(processes * draws)}));

    // Created by another workstation while the question was open: Yes draws from that counter.
    prompts.setBoxListener([&](const RecordedBox &) {
        RemoteCounterStore({server->host, server->port}, [] { return QString(); }).next("Project·9", true);
    });
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(draw("9").number, 105);
    EXPECT_EQ(counters->entry("Project·9"), QString("2"));
}

TEST_F(RemoteCounters, AServerThatIsGoneGivesItsReasonAndNoNumberUntilItIsBack)
{
    prompts.queueAnswer(MessageAnswer::Yes);
    ASSERT_EQ(draw("1").number, 100);

    ASSERT_TRUE(server->down());
    // Whatever fails below, the other tests get their server back.
    bool isDown = true;
    std::shared_ptr<void> restart(nullptr, [&](void *) {
        if (isDown)
            server->up();
    });
    EXPECT_EQ(draw("1").number, -1);
    EXPECT_EQ(prompts.boxes().size(), 2u);
    EXPECT_TRUE(lastBox().text.startsWith("Numbering server " + serverLabel() + " could not be used: "))
        << lastBox().text.toStdString();
    EXPECT_TRUE(lastBox().text.contains("Connection refused")) << lastBox().text.toStdString();
    EXPECT_THROW(counters->set("Project·1", 5), CounterStoreError);
    EXPECT_THROW(counters->reset("Project·1"), CounterStoreError);
    EXPECT_THROW(counters->entry("Project·1"), CounterStoreError);

    isDown = false;
    ASSERT_TRUE(server->up());
    EXPECT_EQ(draw("1").number, 105); // nothing was drawn while it was gone
    EXPECT_EQ(prompts.boxes().size(), 2u);

    // Restarted while the store was idle: its old connection is dead, a fresh one draws.
    isDown = true;
    ASSERT_TRUE(server->down());
    isDown = false;
    ASSERT_TRUE(server->up());
    EXPECT_EQ(draw("1").number, 110);
    EXPECT_EQ(prompts.boxes().size(), 2u);
}

TEST_F(RemoteCounters, AHeldCounterOrAStalledServerEndsAtTheLimitAndDrawsNothing)
{
    qputenv("TAVIK_TIMEOUT", "1");
    qputenv("PGAPPNAME", server->schema.toUtf8()); // finds this store's session on the server
    counters = std::make_unique<RemoteCounterStore>(
        RemoteCounterStore::Server{server->host, server->port}, [this] { return title; });
    qunsetenv("TAVIK_TIMEOUT");
    prompts.queueAnswer(MessageAnswer::Yes);
    ASSERT_EQ(draw("1").number, 100);
    const QString prefix = "Numbering server " + serverLabel() + " could not be used: ";

    // Another workstation's session holds the counter's row locked.
    QProcess holder;
    holder.start("psql", {"-X", "-q", "-A", "-t", "-h", server->host, "-p", QString::number(server->port)});
    holder.write("BEGIN;\nSELECT next_index FROM tavik_counters FOR UPDATE;\n");
    ASSERT_TRUE(holder.waitForReadyRead(60000)) << holder.readAllStandardError().toStdString();
    EXPECT_EQ(holder.readAllStandardOutput().trimmed(), "1");
    EXPECT_EQ(draw("1").number, -1);
    EXPECT_EQ(lastBox().text,
        prefix
            + "the counter is locked by another session and stayed locked for 1 s;"
              " nothing was drawn or changed")
        << lastBox().text.toStdString();
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(60000));
    EXPECT_EQ(counters->entry("Project·1"), QString("1"));

    // The server stops answering in the middle of a call: its session is stopped.
    const QStringList pids = server->rows(
        "SELECT pid FROM pg_stat_activity WHERE application_name = '" + server->schema + "' AND state = 'idle'");
    ASSERT_EQ(pids.size(), 1);
    const pid_t backend = pids.front().toInt();
    ASSERT_EQ(kill(backend, SIGSTOP), 0);
    std::shared_ptr<void> resume(nullptr, [&](void *) { kill(backend, SIGCONT); });
    EXPECT_EQ(draw("1").number, -1);
    EXPECT_EQ(lastBox().text,
        prefix
            + "the server did not answer within the wait limit of 1 s;"
              " nothing was drawn or changed")
        << lastBox().text.toStdString();
    resume.reset();

    // Neither call handed out or used up a number; a fresh session draws the next one.
    EXPECT_EQ(draw("1").number, 105);
    EXPECT_EQ(counters->entry("Project·1"), QString("2"));
    EXPECT_EQ(server->rows("SELECT drawn_index FROM tavik_counter_audit ORDER BY id"), QStringList({"0", "1"}));
    qunsetenv("PGAPPNAME");
}

TEST(RemoteCounterSettings, AServerTheConfigurationCannotNameIsRefusedBeforeConnecting)
{
    const auto refusal = [](RemoteCounterStore::Server server) {
        try {
            RemoteCounterStore(server, {}).next("Tavik", true);
        } catch (const CounterStoreError &e) {
            return e.description;
        }
        return QString();
    };
    EXPECT_EQ(refusal({"", 5432}),
        "Numbering server :5432 could not be used: the configuration names no server (serverName)");
    EXPECT_EQ(refusal({"127.0.0.1", 0}),
        "Numbering server 127.0.0.1:0 could not be used: the configuration's serverPort is no TCP port");
}

} // namespace
