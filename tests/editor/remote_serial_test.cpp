// Serial-number fields of an editor whose configuration names a numbering server: the numbers
// come from the server alone. Skipped unless scripts/pg-test-server has started one.

#include "editor_fixture.h"

#include "platform/settings_store.h"
#include "serial/test_pg_server.h"

#include <QLineEdit>
#include <QPushButton>

using namespace tavik;
using tavik::test::TestPgServer;

class RemoteSerial : public EditorFixture {
protected:
    void SetUp() override
    {
        server = TestPgServer::fromEnvironment();
        if (!server)
            GTEST_SKIP() << TestPgServer::SkipReason;
        EditorFixture::SetUp();
        server->useFreshSchema();
        state.remoteOperation = true;
        state.serverName = server->host;
        state.serverPort = server->port;
        openPart("Bracket", {"Default"});
        addGroup(state, 0, "Identity", {serialItem("SerialNo", "Nothing", "SN-####")});
        load();
        ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
    }
    void TearDown() override
    {
        qunsetenv("PGPASSWORD");
        qunsetenv("PGOPTIONS");
        if (server)
            EditorFixture::TearDown();
    }

    std::optional<TestPgServer> server;
};

TEST_F(RemoteSerial, NumbersComeFromTheServerAndNeverFromTheLocalCounters)
{
    QLineEdit *field = widgetOf<QLineEdit>(item(0, 0, 0).valueControls[0]);
    QPushButton *button = widgetOf<QPushButton>(item(0, 0, 0).unitsControls[0]);
    // A refused login: the reason in a box, no number, and no local counter in its place.
    SettingsStore(settingsPath).write("Tavik", "nextSerialNumbers", "Tavik", "40");
    qputenv("PGPASSWORD", "not the password");
    button->click();
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_TRUE(prompts.boxes().back().text.startsWith(
        "Numbering server " + server->host + ":" + QString::number(server->port) + " could not be used: "));
    EXPECT_EQ(field->text(), "");
    EXPECT_TRUE(button->isEnabled() && !button->font().strikeOut());

    qunsetenv("PGPASSWORD");
    prompts.queueAnswer(MessageAnswer::Yes);
    button->click();
    EXPECT_EQ(field->text(), "SN-0000");
    EXPECT_TRUE(button->font().strikeOut());
    EXPECT_EQ(SettingsStore(settingsPath).value("Tavik", "nextSerialNumbers", "Tavik"), QString("40"));
    EXPECT_EQ(server->rows("SELECT counter_name, next_index FROM tavik_counters"), QStringList({"Tavik|1"}));
    EXPECT_EQ(server->rows("SELECT document_title, drawn_index FROM tavik_counter_audit"), QStringList({"Bracket|0"}));
    EXPECT_FALSE(prompts.failed());
}
