// The load of the editor: pages, rows and controls built from the model, the counter limits, the
// document attribute found or created, the document's values read into the slots, and the combo
// box of list fields and selectors.

#include "editor_fixture.h"

#include "editor/control_tag.h"
#include "editor/form_design.h"
#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"
#include "widgets/field_text_box.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace tavik;

class LayoutTest : public EditorFixture {
protected:
    int top(int i, int c) { return widgetOf<QWidget>(item(0, 0, i).valueControls[size_t(c)])->geometry().top(); }
    // "configuration/name" of every CustomInfo2 asked.
    QStringList propertiesRead()
    {
        QStringList read;
        for (const auto &call : app->calls()->callsOf("CustomInfo2"))
            read << call.args.join('/');
        return read;
    }
};

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
    EXPECT_EQ(m.configsList()->count(), 1);
    EXPECT_TRUE(m.useConfigs()->isChecked() && m.configsList()->isEnabled());
    auto *strip = control<TabStrip>("gMultiPage_0");
    EXPECT_TRUE(strip->tabCount() == 2 && strip->tabCaption(2) == "More");
    EXPECT_NE(strip->focusPolicy(), Qt::NoFocus);
    ASSERT_EQ(state.frames[0].groups[0].pages.size(), 1u);
    EXPECT_TRUE(page(0, 0, 0)->isVisibleTo(&m));
    EXPECT_FALSE(page(0, 1, 0)->isVisibleTo(&m));

    // A label of 16 characters at most and units of 8; the units are the field's tooltip. Every
    // label takes two places of the label counter.
    auto *label = widgetOf<QLabel>(item(0, 0, 0).labelControls[0]);
    EXPECT_EQ(label->text(), "Twenty character");
    EXPECT_EQ(widgetOf<QLabel>(item(0, 0, 0).unitsControls[0])->text(), "millimet");
    EXPECT_EQ(widgetOf<QLabel>(item(0, 0, 1).labelControls[0])->objectName(), "CP_Label_2");
    auto *field = widgetOf<QLineEdit>(item(0, 0, 0).valueControls[0]);
    EXPECT_EQ(tagOf(field), "000:000:000:000");
    EXPECT_EQ(field->toolTip(), "millimetre");
    // The length limits typing only: a longer text put in by the program stays whole.
    EXPECT_EQ(field->text(), "PartNo-default");
    field->setText("ABC");
    field->setFocus();
    QTest::keyClicks(field, "DEFGH");
    EXPECT_EQ(field->text(), "ABCDEF");

    // A composite starts empty, read-only on the window background, one row further down.
    auto *compositeField = widgetOf<QLineEdit>(item(0, 0, 1).valueControls[0]);
    EXPECT_EQ(compositeField->text(), "");
    EXPECT_FALSE(compositeField->isEnabled());
    EXPECT_EQ(colours::backColor(compositeField), QColor(Qt::white));
    // White in every state, the disabled one included, whether the page or the field holds it.
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        EXPECT_EQ(compositeField->palette().color(group, QPalette::Base), QColor(Qt::white)) << group;
        EXPECT_EQ(field->palette().color(group, QPalette::Base), QColor(Qt::white)) << group;
    }
    EXPECT_EQ(compositeField->property("backColor").toUInt(), colours::WindowBackground);
    EXPECT_GT(top(1, 0), top(0, 0));

    // The document had no attribute: one was created with options 1 and 2.
    const auto created = app->calls()->callsOf("CreateInstance5");
    ASSERT_EQ(created.size(), 1);
    EXPECT_EQ(created[0].args, QStringList({"TavikAttribute", "1", "2"}));
    EXPECT_NE(state.attribute, nullptr);

    // Every control stands where the design table puts it, with its caption and tool tip.
    const auto text = [](std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); };
    for (const form_design::Control &c : form_design::Controls) {
        auto *widget = control<QWidget>(c.name.data());
        EXPECT_EQ(widget->geometry(), twipsRect(c.left, c.top, c.width, c.height ? c.height : 15)) << c.name;
        EXPECT_EQ(widget->toolTip(), text(c.toolTip)) << c.name;
        if (auto *button = qobject_cast<QPushButton *>(widget)) {
            EXPECT_EQ(button->text(), text(c.caption));
        }
    }
    const auto row
        = [](const form_design::Box &b, int rowTop) { return twipsRect(b.left, rowTop + b.top, b.width, b.height); };
    EXPECT_EQ(label->geometry(), row(form_design::Label, form_design::RowStart));
    EXPECT_EQ(compositeField->geometry(), row(form_design::Value, form_design::RowStart + form_design::RowHeight));
    EXPECT_EQ(strip->geometry(), row(form_design::TabStrip, 0));
}

TEST(ControlTagTest, NumbersTakeThreeDigitsAtLeast)
{
    EXPECT_EQ(tagNumber(0), "000");
    EXPECT_EQ(tagNumber(7), "007");
    EXPECT_EQ(tagNumber(42), "042");
    EXPECT_EQ(tagNumber(1234), "1234");
    EXPECT_EQ(tagNumber(-5), "-005");
    EXPECT_EQ(controlTag(0, 10, 999, 1000), "000:010:999:1000");
    EXPECT_EQ(pageTag(3, 12, 105), "003:012:---:105");
}

TEST_F(LayoutTest, SlotFilterAndInvisibleItemsKeepTheirRows)
{
    openPart("Plate.SLDPRT", {"Default", "Long"});
    auto hidden = plainItem("Hidden");
    hidden.visible = false;
    addGroup(state, 0, "Main",
        {plainItem("A"), plainItem("ConfOnly", OnlyConfigurations), hidden, plainItem("DocOnly", OnlyDocument)});
    load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();
    ASSERT_EQ(state.frames[0].groups[0].pages.size(), 3u);
    EXPECT_EQ(page(0, 0, 2)->windowTitle(), "Long");

    EXPECT_TRUE(
        item(0, 0, 1).valueControls.size() == 3 && !item(0, 0, 1).valueControls[0] && !item(0, 0, 3).valueControls[1]);
    // Slot 0 skips the configuration-only row and the rows below move up; slot 1 keeps it.
    EXPECT_EQ(top(2, 0), top(1, 1));
    EXPECT_EQ(top(3, 0), top(2, 1));
    EXPECT_GT(top(2, 1), top(1, 1));
    // An invisible item takes its row with hidden controls.
    for (QObject *control : {item(0, 0, 2).valueControls[1], item(0, 0, 2).labelControls[1]})
        EXPECT_FALSE(widgetOf(control)->isVisibleTo(page(0, 0, 1)));
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
        items.push_back(plainItem(QLatin1String(name)));
        items[0].options.push_back(CPOption{{QLatin1String(name), "col1", "col2"}, 0});
    }
    items.push_back(serialItem("SerialNo"));
    items.back().units = "no.";
    CPList &list = makeList(addGroup(state, 0, "Main", items), {1, 2, 3});
    list.linked = true;
    list.target = {0, 0, 0};
    load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();

    // The list row: a disabled selector with full names, the first selected; the three fields
    // share one place, and only the first takes the focus.
    auto *selector = widgetOf<MultiColumnComboBox>(item(0, 0, 1).labelControls[0]);
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->list(0, 0), "SteelGradeForStructuralUse");
    EXPECT_EQ(selector->listIndex(), 0);
    EXPECT_FALSE(selector->isEnabled() || selector->dropButtonShown());
    EXPECT_EQ(selector->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(item(0, 0, 2).labelControls.empty());
    for (int k = 1; k <= 3; ++k) {
        auto *field = widgetOf<QWidget>(item(0, 0, k).valueControls[0]);
        EXPECT_EQ(field->geometry(), widgetOf<QWidget>(item(0, 0, 1).valueControls[0])->geometry());
        EXPECT_EQ(field->focusPolicy() == Qt::NoFocus, k > 1) << k;
        EXPECT_EQ(tagOf(field), controlTag(0, 0, k, 0));
        EXPECT_EQ(tagOf(item(0, 0, k).unitsControls[0]), "000:000:001:000");
    }

    // The serial number sits on the next row, its Get Next button over the units label.
    EXPECT_GT(top(4, 0), top(1, 0));
    auto *button = widgetOf<QPushButton>(item(0, 0, 4).unitsControls[0]);
    auto *units = editor->findChild<QLabel *>("CP_Units_4");
    ASSERT_TRUE(button && units);
    EXPECT_EQ(units->text(), "no.");
    EXPECT_TRUE(units->geometry().intersects(button->geometry()));
}

TEST_F(LayoutTest, CounterLimitsFailTheLoadWithTheirStage)
{
    // The reason names the counter that passed its limit, by how much, and where.
    struct Case {
        int stage;
        const char *reason;
        std::function<void(SharedState &)> build;
    };
    auto listOf = [](SharedState &s, const QString &memberType) {
        std::vector<CPItem> members;
        for (int k = 0; k < 4; ++k) {
            members.push_back(plainItem(QStringLiteral("M%1").arg(k)));
            members.back().type = memberType;
        }
        makeList(addGroup(s, 0, "G", members), {0, 1, 2, 3}).linked = true;
    };
    const Case cases[] = {
        {1, "the form needs 5 drop-down lists", [&](SharedState &s) { listOf(s, "list"); }},
        {2, "the form needs 4 label places",
            [](SharedState &s) {
                addGroup(s, 0, "G", {plainItem("A"), plainItem("B")});
            }},
        {3, "the form needs 4 text fields", [&](SharedState &s) { listOf(s, "standard"); }},
        {4, "the form needs 3 tab pages",
            [](SharedState &s) {
                for (int g = 0; g < 3; ++g)
                    addGroup(s, 0, "G", {});
            }},
        {5, "the configuration has 4 frames; the editor shows at most 3",
            [](SharedState &s) {
                for (int f = 0; f < 4; ++f)
                    addGroup(s, f, "G", {});
            }},
    };
    openPart("Limits.SLDPRT", {});
    for (const auto &c : cases) {
        state.frames.clear();
        c.build(state);
        makeEditor().setCounterLimit(2);
        EXPECT_FALSE(editor->formLoad() || state.runOk) << c.stage;
        EXPECT_TRUE(state.errorMessage.startsWith(QStringLiteral("Error  0 (") + QLatin1String(c.reason))
            && state.errorMessage.endsWith(QStringLiteral(") in <Form Load>     \r\nExiting %1").arg(c.stage)))
            << state.errorMessage.toStdString();
        // The window has unloaded itself: one empty frame is left.
        ASSERT_EQ(state.frames.size(), 1u);
        EXPECT_TRUE(state.frames[0].groups.empty() && !control<QWidget>("CP_Frame_0"));
    }
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(LayoutTest, StoredUseConfigsOffReadsTheDocumentOnly)
{
    auto doc = openPart("Part1.SLDPRT", {"Default", "Long"}, 0, 0);
    doc->AddCustomInfo3("", "both", 30, "part value");
    doc->AddCustomInfo3("Long", "both", 30, "long value");
    addGroup(state, 0, "G", {plainItem("conf", OnlyConfigurations), plainItem("both", DocumentAndConfigurations)});
    state.useConfigs = true; // the configuration file's setting; the document's wins
    M &m = load();
    ASSERT_TRUE(state.runOk);

    EXPECT_EQ(text(0, 0, 1, 0), "part value");
    EXPECT_EQ(text(0, 0, 1, 2), "both-default");
    EXPECT_EQ(text(0, 0, 0, 1), "conf-default");
    EXPECT_EQ(propertiesRead(), QStringList({"/both"}));
    EXPECT_FALSE(state.useConfigs);
    EXPECT_FALSE(m.useConfigs()->isChecked());
    EXPECT_FALSE(m.configsList()->isEnabled());
    EXPECT_EQ(m.configsList()->currentRow(), 0);
}

TEST_F(LayoutTest, SerialNumbersAndLinkedListsWithoutAStoredChoice)
{
    auto doc = openPart("Part1.SLDPRT", {"Default", "Long"}, 1, 0);
    doc->AddCustomInfo3("", "serial", 30, "S-0042");
    doc->AddCustomInfo3("", "kind", 30, "Tube");
    doc->AddCustomInfo3("", "tubeSize", 30, "20x2");
    doc->AddCustomInfo3("Default", "barSize", 30, "d12"); // the target is not stored for Default
    CPItem kind = listItem("kind", {"Bar", "Tube"}, "Bar");
    kind.isListTarget = true;
    kind.sourceList = CPRef{0, 0, 0};
    makeList(addGroup(state, 0, "G", {serialItem("serial"), kind, plainItem("barSize"), plainItem("tubeSize")}), {2, 3})
        .linked
        = true;
    load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();

    // A stored number shows as drawn; an empty field keeps its Get Next.
    auto *numbered = qobject_cast<QPushButton *>(item(0, 0, 0).unitsControls[0]);
    auto *empty = qobject_cast<QPushButton *>(item(0, 0, 0).unitsControls[1]);
    EXPECT_EQ(text(0, 0, 0, 0), "S-0042");
    EXPECT_TRUE(numbered->font().strikeOut());
    EXPECT_EQ(numbered->toolTip(), "Right click for more options");
    EXPECT_FALSE(empty->font().strikeOut());
    EXPECT_EQ(empty->toolTip(), "");

    // The document's stored choice picks the member read; without one (Default) the first member
    // holds the place and keeps its stored value.
    auto selector = [&](int c) { return qobject_cast<MultiColumnComboBox *>(item(0, 0, 2).labelControls[size_t(c)]); };
    EXPECT_EQ(selector(0)->listIndex(), 1);
    EXPECT_EQ(text(0, 0, 3, 0), "20x2");
    EXPECT_EQ(selector(1)->listIndex(), -1);
    EXPECT_EQ(text(0, 0, 2, 1), "d12");
    EXPECT_FALSE(propertiesRead().contains("Default/tubeSize"));
}

TEST_F(LayoutTest, ComboListIndexFollowsTheTextAndHidesItsThirdColumn)
{
    QWidget window;
    window.resize(300, 200);
    auto &combo = *new MultiColumnComboBox(&window);
    combo.makeEditable();
    combo.setGeometry(10, 10, 163, 21);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    combo.setVisibleColumns(2);
    for (const char *text : {"Steel", "Brass", "Alu"})
        combo.addEntry(QLatin1String(text));
    combo.setList(1, 2, "hidden");
    combo.setValue("Brass");
    EXPECT_EQ(combo.listIndex(), 1);
    combo.setEditText("brass"); // typed: case differs, no entry
    EXPECT_EQ(combo.listIndex(), -1);
    combo.setListIndex(-1);
    EXPECT_EQ(combo.value(), "");
    EXPECT_THROW(combo.setListIndex(3), RuntimeError);
    EXPECT_THROW(combo.list(3, 0), RuntimeError);
    EXPECT_EQ(combo.list(1, 2), "hidden");
    // Editable without its drop-down made up front: typing completes from the entries, and the
    // drop-down, made when it opens, is the tree of columns.
    ASSERT_NE(combo.completer(), nullptr);
    combo.lineEdit()->setFocus();
    QTest::keyClicks(combo.lineEdit(), "Al");
    EXPECT_EQ(combo.value(), "Alu");
    static_cast<QComboBox &>(combo).showPopup();
    ASSERT_EQ(combo.view(), combo.popupView());
    EXPECT_TRUE(combo.view()->isVisible());
    combo.hidePopup();
    EXPECT_TRUE(combo.popupView()->isHeaderHidden());
    EXPECT_FALSE(combo.popupView()->isColumnHidden(1));
    EXPECT_TRUE(combo.popupView()->isColumnHidden(2));
}
