// The scratchpad: Save and Load between frames, slots and editing runs, lists, and a store that
// cannot be used.

#include "editor_fixture.h"

#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "platform/settings_store.h"
#include "transfer/scratchpad.h"

#include <QListWidget>
#include <QPushButton>

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
    m.saveScratch();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(stored("PROJECT"), "P1234");
    EXPECT_EQ(stored("Finish"), "Painted");
    EXPECT_EQ(stored("Note"), "") << "an empty field is saved as an empty entry";
    EXPECT_EQ(stored("Other"), std::nullopt) << "only the frame on screen is saved";

    // Another frame whose property differs only in case shares the entry; a filled field keeps
    // its text.
    m.frameSelect()->setListIndex(1);
    set(1, 0, 1, 0, "mine");
    m.Scratch()->click();
    EXPECT_EQ(text(1, 0, 0, 0), "P1234");
    EXPECT_EQ(text(1, 0, 1, 0), "mine");
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(ScratchpadTest, ListRowsUseTheMemberTheirSelectorShows)
{
    openPart("Part1.SLDPRT", {});
    std::vector<CPItem> items{plainItem("m0"), plainItem("m1")};
    for (CPItem &i : items)
        i.defaultValue.clear();
    makeList(addGroup(state, 0, "G", std::move(items)), {0, 1});
    M &m = load();
    auto *selector = comboOf(item(0, 0, 0).labelControls[0]);

    selector->setListIndex(1);
    set(0, 0, 1, 0, "second");
    set(0, 0, 0, 0, "hidden");
    m.saveScratch();
    EXPECT_EQ(stored("m1"), "second");
    EXPECT_EQ(stored("m0"), std::nullopt) << "a member that is not shown is not saved";

    set(0, 0, 1, 0, "");
    set(0, 0, 0, 0, "");
    m.loadScratch();
    EXPECT_EQ(text(0, 0, 1, 0), "second");
    EXPECT_EQ(text(0, 0, 0, 0), "");
}

TEST_F(ScratchpadTest, ASaveThatFailsHalfwayLeavesNoneOfItsEntries)
{
    {
        SettingsStore store(settingsPath);
        Scratchpad earlier(store);
        earlier.save("Project", "P-old");
        earlier.save("Finish", "Raw");
    }
    // The store refuses Finish, the second entry the editor writes.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(settingsPath.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "CREATE TRIGGER refuse BEFORE INSERT ON entries WHEN NEW.key_folded = 'finish' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END;", nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
    M &m = open();
    set(0, 0, 0, 0, "P-new");
    combo(0, 0, 1, 0)->setListIndex(1);
    m.saveScratch();
    EXPECT_FALSE(state.runOk);
    EXPECT_EQ(stored("Project"), "P-old");
    EXPECT_EQ(stored("Finish"), "Raw");

    // A store that cannot be opened at all is reported under each command's name.
    writeFile(settingsPath, QByteArray(4096, 'x'));
    m.loadScratch();
    m.clearScratchpad();
    ASSERT_EQ(prompts.boxes().size(), 3u);
    EXPECT_TRUE(prompts.boxes()[0].text.endsWith("in <Save Scratch CP Values>     "));
    EXPECT_TRUE(prompts.boxes()[1].text.endsWith("in <Load Scratch CP Values>     "));
    EXPECT_TRUE(prompts.boxes()[2].text.endsWith("in <Clear Scratchpad>     "));
}
