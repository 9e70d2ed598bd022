// The load of the editor: pages, rows and controls built from the model, the counter limits, and
// the document attribute found or created.

#include "editor_fixture.h"

#include "widgets/colours.h"
#include "editor/control_tag.h"
#include "widgets/field_text_box.h"
#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace tavik;

class LayoutTest : public EditorFixture {};

TEST_F(LayoutTest, DocumentWithoutConfigurationsHasOnePagePerGroup)
{
    openPart("Bracket.SLDPRT", {});
    auto longName = plainItem("PartNo");
    longName.displayName = "Twenty characters!!!";
    longName.units = "millimetre";
    longName.length = 6;
    auto composite = plainItem("Title");
    composite.type = "composite";
    composite.editable = false;
    addGroup(state, 0, "Main", {longName, composite});
    addGroup(state, 0, "More", {plainItem("Finish")});
    state.frames[0].name = "General";
    state.operationLabel = " [local]";
    state.useConfigs = true;

    M &m = load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
    EXPECT_EQ(m.windowTitle(), "Tavik 1.54 L [local]");
    ASSERT_EQ(m.configsList()->count(), 1);
    EXPECT_EQ(m.configsList()->item(0)->text(), "<Bracket>");
    EXPECT_TRUE(m.useConfigs()->isChecked());
    EXPECT_TRUE(m.configsList()->isEnabled());

    auto *container = control<QGroupBox>("CP_Frame_0");
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->geometry(), QRect(200, 6, 373, 468));
    EXPECT_EQ(container->title(), "General: <Bracket>");
    EXPECT_EQ(tagOf(container), "000");
    auto *strip = control<TabStrip>("gMultiPage_0");
    ASSERT_EQ(strip->tabCount(), 2);
    EXPECT_EQ(strip->tabKey(1), "tab 0");
    EXPECT_EQ(strip->tabKey(2), "tab 1");
    EXPECT_EQ(strip->tabCaption(2), "More");
    EXPECT_EQ(strip->geometry(), twipsRect(150, 350, 5295, 6520));

    ASSERT_EQ(state.frames[0].groups[0].pages.size(), 1u);
    QWidget *first = page(0, 0, 0);
    EXPECT_EQ(first->objectName(), "cFrame_0");
    EXPECT_EQ(tagOf(first), "000:000:---:000");
    EXPECT_EQ(first->geometry(), twipsRect(162, 662, 5271, 6196));
    EXPECT_TRUE(first->isVisibleTo(&m));
    EXPECT_FALSE(page(0, 1, 0)->isVisibleTo(&m));

    // First row: a 16-character label, the field with its units tooltip and length, 8-character units.
    auto *label = widgetOf<QLabel>(item(0, 0, 0).labelControls[0]);
    EXPECT_EQ(label->objectName(), "CP_Label_0");
    EXPECT_EQ(label->text(), "Twenty character");
    EXPECT_EQ(label->geometry(), twipsRect(150, 255, 1500, 320));
    auto *field = widgetOf<QLineEdit>(item(0, 0, 0).valueControls[0]);
    EXPECT_EQ(field->objectName(), "CP_TextBox_0");
    EXPECT_EQ(field->property("tag").toString(), "000:000:000:000");
    EXPECT_EQ(field->text(), "PartNo-default");
    EXPECT_EQ(field->toolTip(), "millimetre");
    // The length limits typing only: a longer text put in by the program stays whole.
    EXPECT_EQ(qobject_cast<FieldTextBox *>(field)->lengthLimit(), 6);
    field->setFocus();
    field->setCursorPosition(field->text().size());
    QTest::keyClicks(field, "X");
    EXPECT_EQ(field->text(), "PartNo-default");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "PartNo-defaul");
    field->setText("ABC");
    QTest::keyClicks(field, "DEFGH");
    EXPECT_EQ(field->text(), "ABCDEF");
    EXPECT_EQ(field->geometry(), twipsRect(1770, 200, 2450, 320));
    EXPECT_EQ(widgetOf<QLabel>(item(0, 0, 0).unitsControls[0])->text(), "millimet");

    // Second row: a composite starts empty, read-only on the window background.
    auto *compositeField = widgetOf<QLineEdit>(item(0, 0, 1).valueControls[0]);
    EXPECT_EQ(compositeField->text(), "");
    EXPECT_FALSE(compositeField->isEnabled());
    EXPECT_EQ(colours::backColor(compositeField), QColor(Qt::white));
    EXPECT_EQ(widgetOf<QLabel>(item(0, 0, 1).labelControls[0])->objectName(), "CP_Label_2");
    EXPECT_EQ(compositeField->geometry().top(), twipsToPixels(700));

    // The document had no attribute: one was created with options 1 and 2.
    const auto created = app->calls()->callsOf("CreateInstance5");
    ASSERT_EQ(created.size(), 1);
    EXPECT_EQ(created[0].args, QStringList({"TavikAttribute", "1", "2"}));
    EXPECT_NE(state.attribute, nullptr);

    for (QWidget *t : {static_cast<QWidget *>(m.cFrame().templateElement()), static_cast<QWidget *>(m.CP_TextBox().templateElement()),
                       static_cast<QWidget *>(m.getNext().templateElement())}) {
        EXPECT_FALSE(t->isVisibleTo(&m));
        EXPECT_FALSE(t->isEnabled());
    }
}

TEST_F(LayoutTest, SlotFilterAndInvisibleItemsKeepTheirRows)
{
    openPart("Plate.SLDPRT", {"Default", "Long"});
    auto hidden = plainItem("Hidden");
    hidden.visible = false;
    addGroup(state, 0, "Main", {plainItem("A"), plainItem("ConfOnly", OnlyConfigurations), hidden,
                                plainItem("DocOnly", OnlyDocument)});
    load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
    ASSERT_EQ(state.frames[0].groups[0].pages.size(), 3u);
    EXPECT_EQ(page(0, 0, 2)->windowTitle(), "Long");

    auto top = [&](int i, int c) { return widgetOf<QWidget>(item(0, 0, i).valueControls[size_t(c)])->geometry().top(); };
    EXPECT_EQ(item(0, 0, 1).valueControls.size(), 3u);
    EXPECT_EQ(item(0, 0, 1).valueControls[0], nullptr);
    EXPECT_EQ(item(0, 0, 3).valueControls[1], nullptr);
    // Slot 0: the configuration-only row is skipped and the rows below move up.
    EXPECT_EQ(top(2, 0), twipsToPixels(700));
    EXPECT_EQ(top(3, 0), twipsToPixels(1200));
    // Slot 1: the configuration-only item keeps its row.
    EXPECT_EQ(top(1, 1), twipsToPixels(700));
    EXPECT_EQ(top(2, 1), twipsToPixels(1200));
    // An invisible item takes its row with hidden controls.
    EXPECT_FALSE(widgetOf<QWidget>(item(0, 0, 2).valueControls[1])->isVisibleTo(page(0, 0, 1)));
    EXPECT_FALSE(widgetOf<QWidget>(item(0, 0, 2).labelControls[1])->isVisibleTo(page(0, 0, 1)));
    EXPECT_EQ(tagOf(item(0, 0, 1).valueControls[2]), "000:000:001:002");
}

TEST_F(LayoutTest, LinkedListTakesOneRowAndSerialNumberShowsGetNext)
{
    openPart("Hinge.SLDPRT", {});
    auto target = plainItem("Material");
    target.type = "list";
    target.isListTarget = true;
    std::vector<CPItem> items{target};
    for (const char *name : {"SteelGradeForStructuralUse", "Brass", "Alu"}) {
        auto member = plainItem(QLatin1String(name));
        member.inList = true;
        member.listRef = {0, 0, 0};
        member.listIndex = 0;
        items.push_back(member);
        CPOption option;
        option.values = {QLatin1String(name), QStringLiteral("col1"), QStringLiteral("col2")};
        items[0].options.push_back(option);
    }
    auto serial = plainItem("SerialNo");
    serial.type = "systemRead";
    serial.editable = false;
    serial.units = "no.";
    CPOption next;
    next.values[0] = "nextSerialNumber";
    serial.options.push_back(next);
    items.push_back(serial);
    Group &group = addGroup(state, 0, "Main", items);
    CPList list;
    list.position = {0, 0, 1};
    list.linked = true;
    list.target = {0, 0, 0};
    list.members = {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}};
    group.lists.push_back(list);

    load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();

    // The target: a two-column combo with the members' names.
    auto *targetField = widgetOf<MultiColumnComboBox>(item(0, 0, 0).valueControls[0]);
    ASSERT_NE(targetField, nullptr);
    EXPECT_EQ(targetField->listCount(), 3);
    EXPECT_EQ(targetField->visibleColumns(), 2);
    EXPECT_EQ(targetField->list(0, 1), "col1");
    EXPECT_EQ(targetField->list(0, 2), "col2");
    EXPECT_NE(targetField->focusPolicy(), Qt::NoFocus);

    // The list row: a disabled selector with full names, the first selected, three fields at one place.
    auto *selector = widgetOf<MultiColumnComboBox>(item(0, 0, 1).labelControls[0]);
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->list(0, 0), "SteelGradeForStructuralUse");
    EXPECT_EQ(selector->listIndex(), 0);
    EXPECT_FALSE(selector->isEnabled());
    EXPECT_FALSE(selector->dropButtonShown());
    EXPECT_EQ(selector->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(selector->geometry(), twipsRect(150, 700, 1500, 320));
    EXPECT_TRUE(item(0, 0, 2).labelControls.empty());
    for (int k = 1; k <= 3; ++k) {
        auto *field = widgetOf<QWidget>(item(0, 0, k).valueControls[0]);
        EXPECT_EQ(field->geometry(), twipsRect(1770, 700, 2450, 320));
        EXPECT_EQ(field->focusPolicy() == Qt::NoFocus, k > 1) << k;
        EXPECT_EQ(tagOf(field), controlTag(0, 0, k, 0));
        EXPECT_EQ(tagOf(item(0, 0, k).unitsControls[0]), "000:000:001:000");
    }

    // The serial-number item sits on the next row with its Get Next button over the units label.
    auto *button = widgetOf<QPushButton>(item(0, 0, 4).unitsControls[0]);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->objectName(), "getNext_0");
    EXPECT_EQ(button->text(), "Get Next");
    EXPECT_EQ(button->toolTip(), "Right-Click for more options");
    EXPECT_EQ(button->geometry(), twipsRect(4340, 1200, 800, 320));
    auto *units = editor->findChild<QLabel *>("CP_Units_4");
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(units->text(), "no.");
    EXPECT_EQ(units->geometry(), twipsRect(4340, 1255, 800, 320));
}

TEST_F(LayoutTest, UnlinkedListMembersTakeARowEachPastThePage)
{
    openPart("Gusset.SLDPRT", {});
    std::vector<CPItem> items;
    for (int i = 0; i < 15; ++i)
        items.push_back(plainItem(QStringLiteral("P%1").arg(i)));
    addGroup(state, 0, "Long", items);
    load();
    ASSERT_TRUE(state.runOk);
    QWidget *p = page(0, 0, 0);
    auto *last = widgetOf<QWidget>(item(0, 0, 14).valueControls[0]);
    EXPECT_EQ(last->geometry().top(), twipsToPixels(200 + 14 * 500));
    EXPECT_LE(widgetOf<QWidget>(item(0, 0, 11).valueControls[0])->geometry().bottom(), p->height());
    EXPECT_GE(widgetOf<QWidget>(item(0, 0, 12).valueControls[0])->geometry().top(), p->height());
}

TEST_F(LayoutTest, CounterLimitsFailTheLoadWithTheirStage)
{
    // The reason names the counter that passed its limit, by how much, and where.
    struct Case { int stage; const char *reason; std::function<void(SharedState &)> build; };
    auto listOf = [](SharedState &s, const QString &memberType) {
        std::vector<CPItem> members;
        for (int k = 0; k < 4; ++k) {
            auto m = plainItem(QStringLiteral("M%1").arg(k));
            m.type = memberType;
            m.inList = true;
            m.listRef = {0, 0, 0};
            members.push_back(m);
        }
        Group &g = addGroup(s, 0, "G", members);
        CPList list;
        list.linked = true;
        list.members = {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}, {0, 0, 3}};
        g.lists.push_back(list);
    };
    const Case cases[] = {
        {1, "the form needs 5 drop-down lists", [&](SharedState &s) { listOf(s, "list"); }},
        {2, "the form needs 4 label places", [](SharedState &s) { addGroup(s, 0, "G", {plainItem("A"), plainItem("B")}); }},
        {3, "the form needs 4 text fields", [&](SharedState &s) { listOf(s, "standard"); }},
        {4, "the form needs 3 tab pages", [](SharedState &s) { for (int g = 0; g < 3; ++g) addGroup(s, 0, "G", {}); }},
        {5, "the configuration has 4 frames; the editor shows at most 3", [](SharedState &s) { for (int f = 0; f < 4; ++f) addGroup(s, f, "G", {}); }},
    };
    openPart("Limits.SLDPRT", {});
    for (const auto &c : cases) {
        state.frames.clear();
        c.build(state);
        makeEditor().setCounterLimit(2);
        EXPECT_FALSE(editor->formLoad()) << c.stage;
        EXPECT_FALSE(state.runOk);
        EXPECT_EQ(state.errorTitle, "Fatal Error");
        EXPECT_TRUE(state.errorMessage.startsWith(QStringLiteral("Error  0 (") + QLatin1String(c.reason)))
            << state.errorMessage.toStdString();
        EXPECT_TRUE(state.errorMessage.endsWith(QStringLiteral(") in <Form Load>     \r\nExiting %1").arg(c.stage)))
            << state.errorMessage.toStdString();
        // The window has unloaded itself: one empty frame is left.
        ASSERT_EQ(state.frames.size(), 1u);
        EXPECT_TRUE(state.frames[0].groups.empty());
        EXPECT_EQ(control<QWidget>("CP_Frame_0"), nullptr);
    }
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(LayoutTest, HostFailuresTakeTheFailurePath)
{
    openPart("Broken.SLDPRT", {"Default"});
    addGroup(state, 0, "G", {plainItem("A")});
    app->calls()->failCall("GetTitle", 1, 440, "Automation error");
    load();
    EXPECT_FALSE(state.runOk);
    EXPECT_EQ(state.errorMessage, "Error  0 () in <Form Load>     \r\nExiting 0");

    addGroup(state, 0, "G", {plainItem("A")});
    app->calls()->failCall("FeatureByName", 1, 91, "No document");
    load();
    EXPECT_FALSE(state.runOk);
    EXPECT_EQ(state.errorMessage, "Error  91 (No document) in <Form Load>     \r\nExiting 0");

    // An attribute the host would not create is an error, not a document that forgets its settings.
    addGroup(state, 0, "G", {plainItem("A")});
    const auto registered = state.attributeDef;
    state.attributeDef = app->DefineAttribute(QStringLiteral("never_registered"));
    load();
    EXPECT_FALSE(state.runOk);
    EXPECT_EQ(state.errorMessage,
              "Error  91 (Object variable or With block variable not set) in <Form Load>     \r\nExiting 0");
    state.attributeDef = registered;

    // A negative frame selects no frame.
    addGroup(state, 0, "G", {plainItem("A")});
    state.defaultFrame = -1;
    load();
    EXPECT_FALSE(state.runOk);
    EXPECT_EQ(state.errorMessage, "Error  9 (Subscript out of range) in <Form Load>     \r\nExiting 0");
}

TEST_F(LayoutTest, FoundAttributeDecidesTheSettings)
{
    // USE_CONFIGS 0 wins over the configuration file; USE_FRAME picks the frame.
    openPart("Frame.SLDPRT", {"Default", "Long"}, 0.0, 1.0);
    addGroup(state, 0, "G", {plainItem("A")});
    addGroup(state, 1, "H", {plainItem("B")});
    state.useConfigs = true;
    M &m = load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
    EXPECT_TRUE(app->calls()->callsOf("CreateInstance5").isEmpty());
    EXPECT_NE(state.attribute, nullptr);
    EXPECT_FALSE(state.useConfigs);
    EXPECT_FALSE(m.useConfigs()->isChecked());
    EXPECT_FALSE(m.configsList()->isEnabled());
    EXPECT_EQ(colours::backColor(m.configsList()), colours::toColor(colours::ButtonFace));
    EXPECT_EQ(state.currentFrame, 1);
    EXPECT_EQ(m.frameSelect()->listIndex(), 1);
    EXPECT_TRUE(control("CP_Frame_1")->isVisibleTo(&m));
    EXPECT_FALSE(control("CP_Frame_0")->isVisibleTo(&m));
    EXPECT_TRUE(page(1, 0, 0)->isVisibleTo(&m));

    // And the other way round: a stored 1 checks the box the file left clear.
    state.frames.clear();
    addGroup(state, 0, "G", {plainItem("A")});
    openPart("Frame2.SLDPRT", {"Default"}, 1.0, 0.0);
    state.useConfigs = false;
    load();
    ASSERT_TRUE(state.runOk);
    EXPECT_TRUE(editor->useConfigs()->isChecked());
    EXPECT_TRUE(editor->configsList()->isEnabled());
    EXPECT_EQ(editor->configsList()->currentRow(), 0);
}
