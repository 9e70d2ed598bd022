// Moving between frames, tabs and configuration slots: one page shown at a time, each frame
// keeping its tab, the slot kept across frames, and a rejected entry holding the page.

#include "editor_fixture.h"

#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "widgets/colours.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace tavik;

class NavigationTest : public EditorFixture {
protected:
    // Two frames of two groups each, on a part with two configurations, configurations in use.
    M &open()
    {
        openPart("Part1.SLDPRT", {"Default", "Long"});
        addGroup(state, 0, "A1", {plainItem("a")});
        addGroup(state, 0, "A2", {plainItem("b")});
        addGroup(state, 1, "B1", {plainItem("c")});
        addGroup(state, 1, "B2", {plainItem("d")});
        state.frames[0].name = "General";
        state.frames[1].name = "Purchase";
        state.useConfigs = true;
        M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        return m;
    }

    TabStrip *strip(int f) { return qobject_cast<TabStrip *>(state.frames[size_t(f)].tabStrip); }

    // The pages shown, as "f:g:c".
    QStringList shownPages()
    {
        QStringList shown;
        for (size_t f = 0; f < state.frames.size(); ++f)
            for (size_t g = 0; g < state.frames[f].groups.size(); ++g)
                for (size_t c = 0; c < state.frames[f].groups[g].pages.size(); ++c)
                    if (page(int(f), int(g), int(c))->isVisibleTo(editor.get()))
                        shown << QStringLiteral("%1:%2:%3").arg(f).arg(g).arg(c);
        return shown;
    }

    QString caption(int f) { return control<QGroupBox>(QStringLiteral("CP_Frame_%1").arg(f))->title(); }
};

TEST_F(NavigationTest, FramesKeepTheSlotAndTheirOwnTab)
{
    M &m = open();
    EXPECT_EQ(shownPages(), QStringList({"0:0:0"}));
    EXPECT_EQ(caption(0), "General: <Part1>");
    // Only the frame shown takes input; the fields of the other are out of reach.
    EXPECT_TRUE(control("CP_Frame_0")->isEnabled() && control("CP_Frame_0")->isVisibleTo(&m));
    EXPECT_FALSE(control("CP_Frame_1")->isEnabled() || control("CP_Frame_1")->isVisibleTo(&m));
    EXPECT_FALSE(widgetOf<QWidget>(state.frames[1].groups[0].items[0].valueControls[0])->isEnabled());
    m.navigation().tabClick(0); // the tab shown: nothing changes
    EXPECT_EQ(shownPages(), QStringList({"0:0:0"}));

    m.configsList()->setCurrentRow(2);
    strip(0)->selectTab(2);
    EXPECT_TRUE(state.activeConfigIndex == 2 && state.frames[0].currentTab == 1);
    EXPECT_EQ(shownPages(), QStringList({"0:1:2"}));
    EXPECT_EQ(caption(0), "General: Long");

    m.frameSelect()->setListIndex(1);
    EXPECT_TRUE(state.currentFrame == 1 && state.defaultFrame == 1);
    EXPECT_FALSE(control("CP_Frame_0")->isVisibleTo(&m) || control("CP_Frame_0")->isEnabled());
    EXPECT_TRUE(control("CP_Frame_1")->isEnabled());
    EXPECT_EQ(shownPages(), QStringList({"1:0:2"}));
    EXPECT_EQ(caption(1), "Purchase: Long");

    // Back to the first frame: its second tab, for the slot now selected.
    m.configsList()->setCurrentRow(1);
    m.frameSelect()->setListIndex(0);
    EXPECT_EQ(strip(0)->selectedIndex(), 2);
    EXPECT_TRUE(page(0, 1, 1)->isVisibleTo(&m));
    EXPECT_FALSE(page(0, 1, 2)->isVisibleTo(&m));
    EXPECT_EQ(caption(0), "General: Default");

    // A rejected entry holds the tab and the slot (see the editing script), not the frame.
    m.formState().prototypeMismatch = true;
    m.frameSelect()->setListIndex(1);
    EXPECT_TRUE(page(1, 0, 1)->isVisibleTo(&m));
    m.frameSelect()->setListIndex(0);
    m.formState().prototypeMismatch = false;

    // A value typed on one slot is still there after a round trip.
    auto *field = qobject_cast<QLineEdit *>(item(0, 1, 0).valueControls[1]);
    field->setText("typed");
    m.configsList()->setCurrentRow(2);
    m.configsList()->setCurrentRow(1);
    EXPECT_EQ(field->text(), "typed");
    EXPECT_TRUE(state.runOk);
}

TEST_F(NavigationTest, ClearingUseConfigsReturnsToTheDocumentSlot)
{
    M &m = open();
    m.configsList()->setCurrentRow(2);
    m.useConfigs()->setChecked(false);
    EXPECT_FALSE(state.useConfigs || m.configsList()->isEnabled());
    EXPECT_TRUE(m.configsList()->currentRow() == 0 && state.activeConfigIndex == 0);
    EXPECT_EQ(colours::backColor(m.configsList()), colours::toColor(colours::ButtonFace));
    EXPECT_EQ(shownPages(), QStringList({"0:0:0"}));

    m.useConfigs()->setChecked(true);
    EXPECT_TRUE(state.useConfigs && m.configsList()->isEnabled() && m.configsList()->item(0)->isSelected());
    EXPECT_EQ(colours::backColor(m.configsList()), QColor(Qt::white));
}

TEST_F(NavigationTest, FrameWithoutGroupsShowsItsEmptyContainer)
{
    openPart("Empty.SLDPRT", {});
    addGroup(state, 0, "A", {plainItem("a")});
    state.frames.emplace_back().name = "Nothing yet";
    state.defaultFrame = 1;
    M &m = load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
    EXPECT_TRUE(control("CP_Frame_1")->isVisibleTo(&m));
    EXPECT_EQ(caption(1), "Nothing yet: <Empty>");
    m.frameSelect()->setListIndex(0);
    m.frameSelect()->setListIndex(1);
    EXPECT_TRUE(state.runOk);
    EXPECT_TRUE(shownPages().isEmpty());
    EXPECT_TRUE(prompts.boxes().empty());
}
