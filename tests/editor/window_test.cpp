// The fixed window as designed, its pop-up menus, the combo box wrapper and the About box.

#include "editor_fixture.h"

#include "platform/runtime_error.h"
#include "widgets/colours.h"
#include "editor/control_tag.h"
#include "editor/multi_column_combo_box.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace tavik;

class WindowTest : public EditorFixture {};

TEST_F(WindowTest, FixedControlsStandWhereDesigned)
{
    M &m = makeEditor();
    EXPECT_EQ(m.size(), QSize(680, 480));
    EXPECT_EQ(m.findChild<QMenuBar *>(), nullptr);

    struct Expected { const char *name; QRect pixels; const char *caption; const char *tooltip; };
    const Expected buttons[] = {
        {"Defaults", {582, 48, 91, 27}, "Load Defaults", "Load Default CP Values"},
        {"Scratch", {582, 88, 91, 27}, "Load Scratch", "Load CP Values from Scratchpad (Right-Click for more options)"},
        {"Copy", {582, 128, 91, 27}, "Copy From...", "Copy CP Values from another SW Document"},
        {"Clear", {582, 184, 91, 27}, "Clear CP Fields", "Clear CP Values from current Configuration (Right-Click for more options)"},
        {"Purge", {582, 240, 91, 27}, "Purge CP Fields", "Remove ALL CP Fields from SW Document"},
        {"Quit", {582, 395, 91, 27}, "Quit", "Exit without saving Custom Properties"},
        {"done", {582, 436, 91, 27}, "Done", "Save CP Values and Exit"},
    };
    for (const auto &e : buttons) {
        auto *button = control<QPushButton>(QLatin1String(e.name));
        ASSERT_NE(button, nullptr) << e.name;
        EXPECT_EQ(button->geometry(), e.pixels) << e.name;
        EXPECT_EQ(button->text(), QLatin1String(e.caption));
        EXPECT_EQ(button->toolTip(), QLatin1String(e.tooltip));
    }
    EXPECT_EQ(control<QFrame>("Line1")->geometry(), QRect(584, 168, 88, 1));
    EXPECT_EQ(control<QFrame>("Line2")->geometry(), QRect(584, 224, 88, 1));

    auto *framesFrame = control<QGroupBox>("framesFrame");
    EXPECT_EQ(framesFrame->title(), "Custom Properties Frame");
    EXPECT_EQ(framesFrame->geometry(), QRect(6, 6, 187, 58));
    auto *frameSelect = control<MultiColumnComboBox>("frameSelect");
    EXPECT_EQ(frameSelect->parentWidget(), framesFrame);
    EXPECT_TRUE(frameSelect->isEditable());
    EXPECT_EQ(frameSelect->geometry(), QRect(10, 24, 167, 21));
    EXPECT_EQ(frameSelect->toolTip(), "CP Frame");

    auto *configurationsFrame = control<QGroupBox>("configurationsFrame");
    EXPECT_EQ(configurationsFrame->title(), "Configurations");
    EXPECT_EQ(configurationsFrame->geometry(), QRect(6, 72, 187, 401));
    auto *useConfigs = control<QCheckBox>("useConfigs");
    EXPECT_EQ(useConfigs->parentWidget(), configurationsFrame);
    EXPECT_EQ(useConfigs->text(), "Use Configurations");
    EXPECT_FALSE(useConfigs->isChecked());
    auto *configsList = control<QListWidget>("configsList");
    EXPECT_EQ(configsList->geometry(), QRect(10, 48, 167, 342));
    EXPECT_EQ(configsList->toolTip(), "Configurations");

    EXPECT_NE(m.findChild<QObject *>("Load_Dlg"), nullptr);
    EXPECT_NE(m.findChild<QObject *>("Tavikc"), nullptr);

    // Keyboard order of the controls that take the focus.
    const QStringList designed = {"frameSelect", "done", "Quit", "configsList", "Defaults", "Scratch", "Copy",
                                  "Clear", "useConfigs", "Purge"};
    QStringList order;
    QWidget *w = frameSelect;
    do {
        if (designed.contains(w->objectName()) && !order.contains(w->objectName()))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != frameSelect);
    EXPECT_EQ(order, designed);
}

TEST_F(WindowTest, PopupMenusHoldTheirEntriesInOrder)
{
    M &m = makeEditor();
    auto entries = [](QMenu *menu) {
        QStringList names;
        for (QAction *a : menu->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char('=') + a->text());
        return names;
    };
    EXPECT_EQ(m.serNumMenu()->title(), "Serial number...");
    EXPECT_EQ(entries(m.serNumMenu()), QStringList({"clear_Ser_Num=Clear", "-", "set=Set index to...",
                                                    "zero=Reset index", "-", "setLocal=Edit serial number field..."}));
    EXPECT_EQ(m.valueMenu()->title(), "CP Value");
    EXPECT_EQ(entries(m.valueMenu()), QStringList({"clear_value=Clear", "-", "copy_value=Copy", "paste_value=Paste"}));
    EXPECT_EQ(m.saveScratchMenu()->title(), "Save Scratch");
    EXPECT_EQ(entries(m.saveScratchMenu()), QStringList({"save_scratch=Save to Scratchpad", "-",
                                                         "load_scratch=Load from Scratchpad", "-",
                                                         "clear_scratchpad=Clear Scratchpad"}));
    EXPECT_EQ(m.clearCPmenu()->title(), "Clear CP Menu");
    EXPECT_EQ(entries(m.clearCPmenu()),
              QStringList({"clearAllCPValues=Clear CP Values from all Configurations", "-",
                           "clearConfCPValues=Clear CP Values from current Configuration"}));
    for (QMenu *menu : {m.serNumMenu(), m.valueMenu(), m.saveScratchMenu(), m.clearCPmenu()})
        EXPECT_FALSE(menu->isVisible());
}

TEST_F(WindowTest, ComboListIndexFollowsTheText)
{
    testApplication();
    MultiColumnComboBox combo;
    combo.setEditable(true);
    combo.setVisibleColumns(2);
    for (const char *text : {"Steel", "Brass", "Alu"})
        combo.addEntry(QLatin1String(text));
    combo.setList(1, 1, "CuZn");
    combo.setList(1, 2, "hidden");
    EXPECT_EQ(combo.list(1, 1), "CuZn");
    EXPECT_EQ(combo.list(1, 2), "hidden");

    combo.setValue("Brass");
    EXPECT_EQ(combo.listIndex(), 1);
    combo.setEditText("brass");                 // typed: case differs, no entry
    EXPECT_EQ(combo.listIndex(), -1);
    combo.setEditText("Alu");
    EXPECT_EQ(combo.listIndex(), 2);
    combo.setValue("Titanium");
    EXPECT_EQ(combo.listIndex(), -1);
    EXPECT_EQ(combo.value(), "Titanium");
    combo.setListIndex(0);
    EXPECT_EQ(combo.value(), "Steel");
    combo.setListIndex(-1);
    EXPECT_EQ(combo.value(), "");
    EXPECT_THROW(combo.setListIndex(3), RuntimeError);
    EXPECT_THROW(combo.list(3, 0), RuntimeError);

    QTreeView *view = combo.popupView();
    EXPECT_EQ(combo.view(), view);
    EXPECT_FALSE(view->isColumnHidden(1));
    EXPECT_TRUE(view->isColumnHidden(2));
}

TEST_F(WindowTest, TagsTwipsAndColours)
{
    EXPECT_EQ(controlTag(0, 2, 5, 1), "000:002:005:001");
    EXPECT_EQ(controlTag(7, 1234, 0, 12), "007:1234:000:012");
    EXPECT_EQ(pageTag(0, 2, 1), "000:002:---:001");
    EXPECT_EQ(twipsToPixels(1365), 91);
    EXPECT_EQ(twipsToPixels(7), 0);
    EXPECT_EQ(twipsToPixels(8), 1);
    EXPECT_EQ(colours::toColor(0x8080FF), QColor(255, 128, 128));
    EXPECT_EQ(colours::toColor(0x00FF00), QColor(0, 255, 0));
    EXPECT_EQ(colours::toColor(colours::WindowBackground), QColor(Qt::white));
    EXPECT_NE(colours::toColor(colours::ButtonFace), colours::toColor(colours::WindowBackground));
}

TEST_F(WindowTest, DoubleClickOnTheBackgroundOpensTheAboutBox)
{
    M &m = makeEditor();
    m.show();
    // The box that a double click opens, closed again at once; empty when none opened.
    auto doubleClick = [](QWidget *target, QPoint at) {
        QString seen;
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                seen = box->windowTitle();
                for (auto *label : box->findChildren<QLabel *>())
                    seen += QLatin1Char('|') + label->text();
                box->close();
            }
        });
        closer.start(0);
        QTest::mouseDClick(target, Qt::LeftButton, {}, at);
        QApplication::processEvents();
        return seen;
    };
    EXPECT_EQ(doubleClick(m.framesFrame(), QPoint(5, 40)), "");
    const QString about = doubleClick(&m, QPoint(300, 470));
    EXPECT_TRUE(about.startsWith("Tavik|Tavik|Version 1.54 L|")) << about.toStdString();
}
