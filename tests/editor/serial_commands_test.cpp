// Serial-number fields in the editor: Get Next, the serial-number menu and the Set Index dialog,
// over a settings store in the test's scratch folder; and over a numbering server, whose numbers
// are the only ones (skipped unless scripts/pg-test-server has started one).

#include "editor_fixture.h"

#include "platform/settings_store.h"
#include "serial/set_ser_num.h"
#include "serial/test_pg_server.h"
#include "widgets/colours.h"
#include "widgets/field_text_box.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

using namespace tavik;
using tavik::test::TestPgServer;

class SerialCommands : public EditorFixture {
protected:
    // The key item; SN-0100..SN-0110 in steps of 5 keyed on it; a composite "No. " + that number;
    // a key item of the document only and a plain decimal serial keyed on it; a serial whose key
    // names no item.
    enum { Project, SerialNo, Caption, DocKey, Batch, Lot };

    void SetUp() override
    {
        EditorFixture::SetUp();
        openPart("Part.SLDPRT", {"Default", "Long"});
        CPItem serial = serialItem("SerialNo", "Project", "SN-####");
        serial.minVal = "SN-0100", serial.maxVal = "SN-0110", serial.incVal = 5;
        CPItem caption = plainItem("Caption");
        caption.type = "composite", caption.defaultValue.clear(), caption.editable = false;
        addGroup(state, 0, "Identity",
            {plainItem("Project"), serial, caption, plainItem("DocKey", OnlyDocument),
                serialItem("Batch", "DocKey", ""), serialItem("Lot", "Nothing", "X\\#-##")});
        state.frames[0].composites.push_back(Composite{
            CPRef{0, 0, Caption}, {CompositePart{{}, -1, "No. "}, CompositePart{CPRef{0, 0, SerialNo}, 0, {}}}});
        item(0, 0, SerialNo).compositeRefs = {0};
        item(0, 0, SerialNo).compositeRefsUpper = 0;
        load();
        ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
        setText(Project, "P1");
    }

    QLineEdit *field(int i, int c = 0) { return widgetOf<QLineEdit>(item(0, 0, i).valueControls[size_t(c)]); }
    QString text(int i, int c = 0) { return field(i, c)->text(); }
    void setText(int i, const QString &t, int c = 0) { field(i, c)->setText(t); }
    QPushButton *button(int i, int c = 0) { return widgetOf<QPushButton>(item(0, 0, i).unitsControls[size_t(c)]); }
    bool struck(int i) { return button(i)->font().strikeOut(); }
    std::optional<QString> stored(const QString &name)
    {
        return SettingsStore(settingsPath).value("Tavik", "nextSerialNumbers", name);
    }
    void drawYes(int i, int c = 0) { prompts.queueAnswer(MessageAnswer::Yes), button(i, c)->click(); }

    // A right press on the button of slot 0: tells whether the serial-number menu opened.
    bool rightPress(int i)
    {
        const QPointF at(button(i)->rect().center());
        QMouseEvent press(
            QEvent::MouseButtonPress, at, button(i)->mapToGlobal(at), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(button(i), &press);
        const bool opened = editor->serNumMenu()->isVisible();
        editor->serNumMenu()->hide();
        return opened;
    }
    void choose(const char *entry) { editor->serNumMenu()->findChild<QAction *>(entry)->trigger(); }
    // Opens the menu entry's dialog on field i; act plays the person in it.
    void inDialog(int i, const char *entry, const std::function<void(setSerNum &)> &act)
    {
        bool shown = false;
        editor->serialNumbers().setSerialDialogRunner(
            [&](QDialog &dialog) { shown = true, act(static_cast<setSerNum &>(dialog)); });
        ASSERT_TRUE(rightPress(i));
        choose(entry);
        EXPECT_TRUE(shown) << entry;
    }
};

TEST_F(SerialCommands, GetNextCreatesOnYesDrawsIntoEmptyFieldsAndNeverReuses)
{
    prompts.queueAnswer(MessageAnswer::No);
    button(SerialNo)->click();
    EXPECT_EQ(prompts.boxes().back().text, "Create a new index for [Project·P1] ?     ");
    EXPECT_TRUE(text(SerialNo).isEmpty() && button(SerialNo)->isEnabled() && !struck(SerialNo));
    EXPECT_EQ(stored("Project·P1"), std::nullopt);
    EXPECT_FALSE(rightPress(SerialNo)) << "an empty field has no menu";

    drawYes(SerialNo);
    EXPECT_EQ(text(SerialNo), "SN-0100");
    EXPECT_EQ(text(Caption), "No. SN-0100") << "the field's change handling runs";
    EXPECT_TRUE(struck(SerialNo));
    button(SerialNo)->click();
    EXPECT_EQ(text(SerialNo), "SN-0100") << "a drawn number stays until cleared";
    EXPECT_EQ(stored("Project·P1"), "1");

    ASSERT_TRUE(rightPress(SerialNo));
    EXPECT_EQ(editor->formState().menuTag, "000:000:001:000");
    choose("clear_Ser_Num");
    EXPECT_TRUE(text(SerialNo).isEmpty() && !struck(SerialNo));
    button(SerialNo)->click();
    EXPECT_EQ(text(SerialNo), "SN-0105");
    EXPECT_EQ(stored("Project·P1"), "2");
    EXPECT_FALSE(prompts.failed());
}

TEST_F(SerialCommands, CounterNamesFollowTheKeyFieldOfTheSlot)
{
    setText(Project, "A", 1);
    drawYes(SerialNo, 0);
    drawYes(SerialNo, 1);
    EXPECT_TRUE(stored("Project·P1") == "1" && stored("Project·A") == "1" && text(SerialNo, 1) == "SN-0100");

    // The key item has no field in a configuration slot: nothing drawn, nothing said.
    const size_t boxes = prompts.boxes().size();
    button(Batch, 1)->click();
    EXPECT_TRUE(text(Batch, 1).isEmpty() && prompts.boxes().size() == boxes);
    setText(DocKey, "d");
    drawYes(Batch, 0);
    EXPECT_TRUE(text(Batch) == "0" && stored("DocKey·d") == "1");

    EXPECT_FALSE(prompts.failed());
}

TEST_F(SerialCommands, SetIndexTakesATypedNumberInRangeAsDrawn)
{
    drawYes(SerialNo);
    state.runOk = false;
    state.errorMessage = "pending report";
    inDialog(SerialNo, "set", [&](setSerNum &d) {
        EXPECT_EQ(d.setFor()->text(), "Set index for [Project·P1]");
        EXPECT_EQ(d.Text()->text(), "SN-0105") << "the number the next Get Next would give";
        // A refusal keeps the dialog open, says why and marks the text; typing clears it.
        d.Text()->setText("SN-0107");
        d.setClick();
        EXPECT_EQ(d.Label()->text(), "Incorrect Incremental Step [SN-0100 + 5*n]");
        EXPECT_EQ(colours::backColor(d.Text()), QColor(255, 128, 128));
        EXPECT_EQ(d.result(), QDialog::Rejected);
        d.Text()->setText("SN-0105");
        EXPECT_EQ(d.Label()->text(), "Prototype is: SN-####");
        d.setClick();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    EXPECT_EQ(stored("Project·P1"), "2");
    EXPECT_TRUE(text(SerialNo) == "SN-0105" && text(Caption) == "No. SN-0105");
    EXPECT_EQ(state.errorMessage, "pending report") << "a refusal is no error report";

    // A stored text that is no index is reported as the dialog loads; setting repairs it.
    SettingsStore(settingsPath).write("Tavik", "nextSerialNumbers", "Project·P1", "twelve");
    inDialog(SerialNo, "set", [&](setSerNum &d) {
        EXPECT_EQ(prompts.boxes().back().text, "Type mismatch");
        EXPECT_EQ(d.Text()->text(), "");
        d.Text()->setText("SN-0110");
        d.setClick();
    });
    EXPECT_EQ(stored("Project·P1"), "3");
    EXPECT_FALSE(prompts.failed());
}

TEST_F(SerialCommands, ResetIndexAsksThenStartsTheRangeAgain)
{
    drawYes(SerialNo);
    setText(SerialNo, "SN-0110");
    SettingsStore(settingsPath).write("Tavik", "nextSerialNumbers", "Project·P1", "3");
    prompts.queueAnswer(MessageAnswer::No);
    ASSERT_TRUE(rightPress(SerialNo));
    choose("zero");
    EXPECT_EQ(
        prompts.boxes().back().text, "Are you sure you want to reset index for      \r\n[Project·P1] to zero?     ");
    EXPECT_TRUE(stored("Project·P1") == "3" && text(SerialNo) == "SN-0110");

    prompts.queueAnswer(MessageAnswer::Yes);
    choose("zero");
    EXPECT_EQ(stored("Project·P1"), "1");
    EXPECT_TRUE(text(SerialNo) == "SN-0100" && text(Caption) == "No. SN-0100");
    EXPECT_FALSE(prompts.failed());
}

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
