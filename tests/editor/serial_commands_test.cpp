// Serial-number fields in the editor: Get Next, the serial-number menu and the Set Index dialog,
// over a settings store in the test's scratch folder.

#include "editor_fixture.h"

#include "widgets/colours.h"
#include "widgets/field_text_box.h"
#include "platform/settings_store.h"
#include "serial/counter_store.h"
#include "serial/set_ser_num.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

using namespace tavik;

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
        addGroup(state, 0, "Identity", {plainItem("Project"), serial, caption, plainItem("DocKey", OnlyDocument),
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
        QMouseEvent press(QEvent::MouseButtonPress, at, button(i)->mapToGlobal(at), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
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
        editor->serialNumbers().setSerialDialogRunner([&](QDialog &dialog) { shown = true, act(static_cast<setSerNum &>(dialog)); });
        ASSERT_TRUE(rightPress(i));
        choose(entry);
        EXPECT_TRUE(shown) << entry;
    }

};

// Counters that note whether the wait cursor showed while they were asked.
class WatchedCounters : public CounterStore {
public:
    static bool busy()
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        return cursor && cursor->shape() == Qt::WaitCursor;
    }
    Draw next(const QString &, bool create) override
    {
        asked.push_back(busy());
        return create ? Draw{Outcome::Drawn, 0} : Draw{Outcome::Missing, -1};
    }
    std::optional<QString> entry(const QString &) override { return std::nullopt; }
    void set(const QString &, int64_t) override {}
    void reset(const QString &) override {}
    std::vector<bool> asked;
};

TEST_F(SerialCommands, TheWindowShowsItIsBusyWhileTheCountersAreAskedOnly)
{
    auto counters = std::make_shared<WatchedCounters>();
    editor->serialNumbers().setCounterStore(counters);
    std::vector<bool> busyAtBoxes;
    prompts.setBoxListener([&](const RecordedBox &) { busyAtBoxes.push_back(WatchedCounters::busy()); });
    drawYes(SerialNo);
    EXPECT_EQ(text(SerialNo), "SN-0100");
    EXPECT_EQ(counters->asked, std::vector<bool>({true, true}));   // missing, then created
    EXPECT_EQ(busyAtBoxes, std::vector<bool>({false}));            // the question to create it
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SerialCommands, GetNextCreatesOnYesDrawsIntoEmptyFieldsAndNeverReuses)
{
    prompts.queueAnswer(MessageAnswer::No);
    button(SerialNo)->click();
    EXPECT_EQ(prompts.boxes().back().text, "Create a new index for [Project·P1] ?     ");
    EXPECT_EQ(text(SerialNo), "");
    EXPECT_TRUE(button(SerialNo)->isEnabled());
    EXPECT_FALSE(struck(SerialNo));
    EXPECT_EQ(stored("Project·P1"), std::nullopt);
    EXPECT_FALSE(rightPress(SerialNo)) << "an empty field has no menu";
    EXPECT_EQ(editor->formState().menuTag, "000:000:001:000");

    drawYes(SerialNo);
    EXPECT_EQ(text(SerialNo), "SN-0100");
    EXPECT_EQ(text(Caption), "No. SN-0100") << "the field's change handling runs";
    EXPECT_TRUE(struck(SerialNo));
    EXPECT_EQ(button(SerialNo)->toolTip(), "Right click for more options");
    EXPECT_EQ(stored("Project·P1"), "1");
    button(SerialNo)->click();
    EXPECT_EQ(text(SerialNo), "SN-0100") << "a drawn number stays until cleared";
    EXPECT_EQ(stored("Project·P1"), "1");

    ASSERT_TRUE(rightPress(SerialNo));
    choose("clear_Ser_Num");
    EXPECT_EQ(text(SerialNo), "");
    EXPECT_FALSE(struck(SerialNo));
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
    EXPECT_EQ(stored("Project·P1"), "1");
    EXPECT_EQ(stored("Project·A"), "1");
    EXPECT_EQ(text(SerialNo, 1), "SN-0100");

    setText(Project, "", 2);
    button(SerialNo, 2)->click();
    EXPECT_EQ(prompts.boxes().back().text, "Key value [Project] is empty.      ");
    EXPECT_EQ(text(SerialNo, 2), "");

    // The key item has no field in a configuration slot: nothing drawn, nothing said.
    const size_t boxes = prompts.boxes().size();
    button(Batch, 1)->click();
    EXPECT_EQ(text(Batch, 1), "");
    EXPECT_EQ(prompts.boxes().size(), boxes);
    setText(DocKey, "d");
    drawYes(Batch, 0);
    EXPECT_EQ(text(Batch), "0");
    EXPECT_EQ(stored("DocKey·d"), "1");

    drawYes(Lot, 1);
    EXPECT_EQ(text(Lot, 1), "X#-00");
    EXPECT_EQ(stored("Tavik"), "1") << "no key item: the shared counter";
    EXPECT_FALSE(prompts.failed());
}

TEST_F(SerialCommands, SetIndexTakesATypedNumberInRangeAsDrawn)
{
    drawYes(SerialNo);
    state.runOk = false;
    state.errorMessage = "pending report";
    inDialog(SerialNo, "set", [&](setSerNum &d) {
        EXPECT_EQ(d.windowTitle(), "Tavik: Set Index");
        EXPECT_EQ(d.setFor()->text(), "Set index for [Project·P1]");
        EXPECT_EQ(d.Text()->text(), "SN-0105") << "the number the next Get Next would give";
        const auto refused = [&](const QString &typed, const QString &label, const QString &tooltip) {
            d.Text()->setText(typed);
            d.setClick();
            EXPECT_EQ(d.Label()->text(), label) << typed.toStdString();
            EXPECT_EQ(colours::backColor(d.Text()), QColor(255, 128, 128));
            EXPECT_EQ(d.Text()->toolTip(), tooltip);
            EXPECT_EQ(d.result(), QDialog::Rejected) << "still open";
        };
        refused("SN-95", "Empty String or string does not match prototype", "SN-####");
        refused("sn-0105", "String does not match prototype", "Does not match prototype: SN-####");
        refused("SN-0107", "Incorrect Incremental Step [SN-0100 + 5*n]",
                "Number may be less than minVal, greater then maxVal or have incorrect incremental value");
        d.Text()->setText("SN-0105");
        EXPECT_EQ(d.Label()->text(), "Prototype is: SN-####") << "typing clears the refusal";
        d.setClick();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    EXPECT_EQ(stored("Project·P1"), "2");
    EXPECT_EQ(text(SerialNo), "SN-0105");
    EXPECT_EQ(text(Caption), "No. SN-0105");
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

TEST_F(SerialCommands, EditTakesAnyTextOfThePrototypeAndLeavesTheCounter)
{
    drawYes(SerialNo);
    inDialog(SerialNo, "setLocal", [&](setSerNum &d) {
        EXPECT_EQ(d.windowTitle(), "Tavik: Edit Index");
        EXPECT_EQ(d.setFor()->text(), "Editing [SerialNo] value");
        EXPECT_EQ(d.Text()->text(), "SN-0100");
        d.Text()->setText("SN-0095");
        d.setClick();
    });
    EXPECT_EQ(text(SerialNo), "SN-0095");
    EXPECT_EQ(stored("Project·P1"), "1");

    // An escaped literal shows with its backslash in the box and without it in the field.
    setText(Lot, "X#-05");
    inDialog(Lot, "setLocal", [&](setSerNum &d) {
        EXPECT_EQ(d.Text()->text(), "X\\#-05");
        d.Text()->setText("X\\#-07");
        d.setClick();
    });
    EXPECT_EQ(text(Lot), "X#-07");
    EXPECT_TRUE(struck(Lot));
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
    EXPECT_EQ(prompts.boxes().back().text, "Are you sure you want to reset index for      \r\n[Project·P1] to zero?     ");
    EXPECT_EQ(prompts.boxes().back().title, "Tavik: Reset index");
    EXPECT_EQ(stored("Project·P1"), "3");
    EXPECT_EQ(text(SerialNo), "SN-0110");

    prompts.queueAnswer(MessageAnswer::Yes);
    choose("zero");
    EXPECT_EQ(stored("Project·P1"), "1");
    EXPECT_EQ(text(SerialNo), "SN-0100");
    EXPECT_EQ(text(Caption), "No. SN-0100");

    // A store that cannot be opened is reported under the command's name.
    qputenv("TAVIK_SETTINGS",
            write("junk.sqlite", "no settings database, only text long enough to fill a database file's header").toLocal8Bit());
    editor->serialNumbers().setCounterStore(nullptr);
    prompts.queueAnswer(MessageAnswer::Yes);
    choose("zero");
    EXPECT_EQ(state.currentProc, "Zero");
    EXPECT_EQ(prompts.boxes().back().title, "Tavik: Error");
    EXPECT_FALSE(prompts.failed());
}
