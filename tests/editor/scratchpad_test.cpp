// The scratchpad: Save and Load between frames, slots and editing runs, lists, and a store that
// cannot be used.

#include "editor_fixture.h"

#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "platform/settings_store.h"
#include "transfer/scratchpad.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <sqlite3.h>

using namespace tavik;

class ScratchpadTest : public EditorFixture {
protected:
    MultiColumnComboBox *combo(int f, int g, int i, int c) { return comboOf(item(f, g, i).valueControls[size_t(c)]); }

    std::optional<QString> stored(const QString &tag)
    {
        SettingsStore store(settingsPath);
        return Scratchpad(store).value(tag);
    }

    // Frame 0: Project, Finish (a list), Note; frame 1: Project again and Other. Fields start
    // empty; the part has two configurations.
    M &open()
    {
        openPart("Part1.SLDPRT", {"Default", "Long"});
        addGroup(state, 0, "G", {plainItem("Project"), listItem("Finish", {"Raw", "Painted"}), plainItem("Note")});
        addGroup(state, 1, "H", {plainItem("project"), plainItem("Other")});
        for (Frame &frame : state.frames)
            for (Group &group : frame.groups)
                for (CPItem &i : group.items)
                    i.defaultValue.clear();
        state.useConfigs = true;
        M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        return m;
    }
};

TEST_F(ScratchpadTest, SavedValuesComeBackInEmptyFieldsOnly)
{
    M &m = open();
    set(0, 0, 0, 0, "P1234");
    combo(0, 0, 1, 0)->setListIndex(1);
    m.scratchpad().saveScratch();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(stored("PROJECT"), "P1234");
    EXPECT_EQ(stored("Finish"), "Painted");
    EXPECT_EQ(stored("Note"), "") << "an empty field is saved as an empty entry";
    EXPECT_EQ(stored("Other"), std::nullopt) << "only the frame on screen is saved";

    // Load in the same editor changes nothing.
    m.scratchpad().loadScratch();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(text(0, 0, 0, 0), "P1234");
    EXPECT_EQ(combo(0, 0, 1, 0)->listIndex(), 1);
    EXPECT_EQ(text(0, 0, 2, 0), "");

    // Another frame whose property differs only in case shares the entry; a filled field keeps
    // its text.
    m.frameSelect()->setListIndex(1);
    set(1, 0, 1, 0, "mine");
    m.Scratch()->click();
    EXPECT_EQ(text(1, 0, 0, 0), "P1234");
    EXPECT_EQ(text(1, 0, 1, 0), "mine");
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(ScratchpadTest, ConfigurationSlotToDocumentAndListsWithoutAStoredEntry)
{
    M &m = open();
    m.configsList()->setCurrentRow(2);
    set(0, 0, 0, 2, "P0002");
    set(0, 0, 2, 2, "from Long");
    m.scratchpad().saveScratch();

    m.configsList()->setCurrentRow(0);
    {
        SettingsStore store(settingsPath);
        store.write("Tavik", "Scratch", "Finish", "Anodised");
    }
    m.scratchpad().loadScratch();
    EXPECT_EQ(text(0, 0, 0, 0), "P0002");
    EXPECT_EQ(text(0, 0, 2, 0), "from Long");
    EXPECT_EQ(combo(0, 0, 1, 0)->listIndex(), 0) << "a stored text that is no entry gives the first entry";
    EXPECT_EQ(text(0, 0, 0, 1), "") << "other slots are left alone";

    // After clearing, a list with nothing stored gets its first entry as well.
    m.scratchpad().clearScratchpad();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(stored("Project"), std::nullopt);
    m.configsList()->setCurrentRow(1);
    m.scratchpad().loadScratch();
    EXPECT_EQ(combo(0, 0, 1, 1)->listIndex(), 0);
    EXPECT_EQ(text(0, 0, 0, 1), "");
}

TEST_F(ScratchpadTest, ListRowsUseTheMemberTheirSelectorShows)
{
    openPart("Part1.SLDPRT", {});
    std::vector<CPItem> items;
    for (const char *tag : {"m0", "m1"}) {
        CPItem member = plainItem(tag);
        member.inList = true;
        member.listRef = CPRef{0, 0, 0};
        member.defaultValue.clear();
        items.push_back(member);
    }
    Group &group = addGroup(state, 0, "G", std::move(items));
    group.lists.push_back(CPList{});
    group.lists[0].members = {CPRef{0, 0, 0}, CPRef{0, 0, 1}};
    M &m = load();
    auto *selector = comboOf(item(0, 0, 0).labelControls[0]);

    selector->setListIndex(1);
    set(0, 0, 1, 0, "second");
    set(0, 0, 0, 0, "hidden");
    m.scratchpad().saveScratch();
    EXPECT_EQ(stored("m1"), "second");
    EXPECT_EQ(stored("m0"), std::nullopt) << "a member that is not shown is not saved";

    set(0, 0, 1, 0, "");
    set(0, 0, 0, 0, "");
    m.scratchpad().loadScratch();
    EXPECT_EQ(text(0, 0, 1, 0), "second");
    EXPECT_EQ(text(0, 0, 0, 0), "");
}

// The test runs itself a second time as the editor that is killed; the variable names the store.
constexpr const char *KilledSaveStore = "TAVIK_TEST_KILLED_SAVE_STORE";

TEST_F(ScratchpadTest, AnEditorKilledWhileSavingLeavesAllOrNoneOfItsEntries)
{
    if (qEnvironmentVariableIsSet(KilledSaveStore)) {
        M &m = open();
        qputenv("TAVIK_SETTINGS", qgetenv(KilledSaveStore));
        set(0, 0, 0, 0, "P-new");
        combo(0, 0, 1, 0)->setListIndex(1);
        set(0, 0, 2, 0, "note-new");
        m.scratchpad().saveScratch();   // killed inside
        return;
    }
    {
        SettingsStore store(settingsPath);
        Scratchpad earlier(store);
        earlier.save("Project", "P-old");
        earlier.save("Finish", "Raw");
        earlier.save("Note", "note-old");
    }
    // Writing Finish, the second entry, grows the file far beyond its size (so that the test
    // can see it has got there) and then stays there until the process is killed.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(settingsPath.toUtf8().constData(), &db), SQLITE_OK);
    const char *stall =
        "CREATE TABLE grown (b BLOB); CREATE TABLE filler (x);"
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 2000) INSERT INTO filler SELECT x FROM n;"
        "CREATE TRIGGER stall BEFORE INSERT ON entries WHEN NEW.key_folded = 'finish' BEGIN"
        " INSERT INTO grown VALUES (zeroblob(40000000)); SELECT count(*) FROM filler a, filler b, filler c; END;";
    EXPECT_EQ(sqlite3_exec(db, stall, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    const qint64 before = QFileInfo(settingsPath).size();

    QProcess saving;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(KilledSaveStore, settingsPath);
    environment.insert("TAVIK_TEST_TMP", dir.path());   // the killed run's folder goes with this one's
    saving.setProcessEnvironment(environment);
    QFileSystemWatcher watcher({settingsPath});
    QEventLoop there;
    const auto grown = [&] {
        if (QFileInfo(settingsPath).size() > before + 20000000)
            there.quit();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, grown);
    QObject::connect(&saving, &QProcess::finished, &there, &QEventLoop::quit);
    QTimer::singleShot(120000, &there, &QEventLoop::quit);
    saving.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=ScratchpadTest.AnEditorKilledWhileSavingLeavesAllOrNoneOfItsEntries"});
    there.exec();
    ASSERT_EQ(saving.state(), QProcess::Running) << saving.readAllStandardOutput().toStdString();
    saving.kill();
    saving.waitForFinished(60000);

    EXPECT_EQ(stored("Project"), "P-old");
    EXPECT_EQ(stored("Finish"), "Raw");
    EXPECT_EQ(stored("Note"), "note-old");
}

TEST_F(ScratchpadTest, StoreThatCannotBeUsedIsReported)
{
    M &m = open();
    writeFile(settingsPath, QByteArray(4096, 'x'));

    m.scratchpad().saveScratch();
    EXPECT_FALSE(state.runOk);
    m.scratchpad().loadScratch();
    m.scratchpad().clearScratchpad();
    ASSERT_EQ(prompts.boxes().size(), 3u);
    const char *names[] = {"Save Scratch CP Values", "Load Scratch CP Values", "Clear Scratchpad"};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_TRUE(prompts.boxes()[k].text.endsWith(QStringLiteral("in <%1>     ").arg(names[k])));
        EXPECT_EQ(prompts.boxes()[k].title, "Tavik: Error");
    }
}
