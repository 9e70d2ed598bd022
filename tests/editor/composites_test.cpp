// Composite fields built from other fields and literal texts, and linked lists whose target picks
// the member shown.

#include "editor_fixture.h"

#include "editor/colours.h"
#include "editor/field_text_box.h"
#include "editor/multi_column_combo_box.h"

#include <QLabel>

using namespace tavik;

namespace {

CPItem compositeItem(const QString &tag, bool editable = false)
{
    CPItem item = plainItem(tag);
    item.type = QStringLiteral("composite");
    item.editable = editable;
    item.units = tag + QStringLiteral(" units");
    item.defaultValue.clear();
    return item;
}

CPItem listItem(const QString &tag, const std::vector<std::array<QString, 3>> &entries)
{
    CPItem item = plainItem(tag);
    item.type = QStringLiteral("list");
    for (const auto &texts : entries)
        item.options.push_back(CPOption{texts, 0});
    item.defaultValue.clear();
    return item;
}

CompositePart fieldPart(int16_t f, int16_t g, int16_t i, int16_t useValue = 0)
{
    return CompositePart{CPRef{f, g, i}, useValue, QString()};
}

CompositePart literal(const QString &text)
{
    return CompositePart{CPRef{0, 0, 0}, -1, text};
}

} // namespace

class CompositesTest : public EditorFixture {
protected:
    // Binds composite r of frame 0 to its parts as the resolution does.
    void addComposite(int16_t ownerGroup, int16_t ownerItem, std::vector<CompositePart> parts)
    {
        Frame &frame = state.frames[0];
        const int16_t r = int16_t(frame.composites.size());
        frame.composites.push_back(Composite{CPRef{0, ownerGroup, ownerItem}, parts});
        for (const CompositePart &part : parts)
            if (part.useValue >= 0) {
                CPItem &used = item(part.ref.f_idx, part.ref.g_idx, part.ref.i_idx);
                used.compositeRefs.push_back(r);
                used.compositeRefsUpper = int16_t(used.compositeRefs.size() - 1);
            }
    }

    // Loads, then keeps the fields' own change handlers still: the tests call the operations.
    M &loadQuiet()
    {
        M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        m.formState().suppressEvents = true;
        return m;
    }

    QString text(int g, int i, int c = 0) { return qobject_cast<QLineEdit *>(item(0, g, i).valueControls[size_t(c)])->text(); }
    void setText(int g, int i, const QString &t, int c = 0)
    {
        qobject_cast<QLineEdit *>(item(0, g, i).valueControls[size_t(c)])->setText(t);
    }
    MultiColumnComboBox *combo(QObject *control) { return qobject_cast<MultiColumnComboBox *>(control); }
    QColor labelColour(int g, int i, int c = 0) { return colours::foreColor(widgetOf(item(0, g, i).labelControls[size_t(c)])); }
    QString tooltip(int g, int i, int c = 0) { return widgetOf(item(0, g, i).valueControls[size_t(c)])->toolTip(); }
};

TEST_F(CompositesTest, FieldLiteralFieldCompleteIncompleteAndCut)
{
    openPart("Part1.SLDPRT", {"Default"});
    CPItem onlyDocument = compositeItem("docOnly");
    onlyDocument.location = OnlyDocument;
    CPItem shortOne = compositeItem("short");
    shortOne.length = 4;
    addGroup(state, 0, "G", {plainItem("a"), plainItem("b"), compositeItem("k"), shortOne, onlyDocument});
    addComposite(0, 2, {fieldPart(0, 0, 0), literal("-"), fieldPart(0, 0, 1)});
    addComposite(0, 3, {fieldPart(0, 0, 0), literal("-"), fieldPart(0, 0, 1)});
    addComposite(0, 4, {fieldPart(0, 0, 0)});
    M &m = loadQuiet();

    setText(0, 0, "AAA");
    setText(0, 1, "B");
    m.buildComposites(0, 0, 1, 0);
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(text(0, 2), "AAA-B");
    EXPECT_EQ(labelColour(0, 2), colours::toColor(colours::ButtonText));
    EXPECT_EQ(tooltip(0, 2), "k units");
    EXPECT_EQ(text(0, 3), "AAA-") << "cut to the field's length";

    setText(0, 1, "");
    m.buildComposites(0, 0, 1, 0);
    EXPECT_EQ(text(0, 2), "AAA-");
    EXPECT_EQ(labelColour(0, 2), colours::toColor(colours::Incomplete));
    EXPECT_EQ(tooltip(0, 2), "Highlighted field is incomplete");

    // A composite shown on the document slot only has nothing to rebuild on a configuration
    // slot; that is no error.
    setText(0, 0, "X", 1);
    m.buildComposites(0, 0, 0, 1);
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(text(0, 2, 1), "X-b-default");
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CompositesTest, EditableCompositeKeepsTheUsersTextUntilEmptied)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "G", {plainItem("a"), compositeItem("k", true)});
    addComposite(0, 1, {literal("<"), fieldPart(0, 0, 0), literal(">")});
    M &m = loadQuiet();

    setText(0, 1, "my own");
    setText(0, 0, "A");
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(0, 1), "my own");

    setText(0, 1, "");
    setText(0, 0, "B");
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(0, 1), "<B>");
}

TEST_F(CompositesTest, ListPartUsesTheChosenColumn)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "G",
             {listItem("material", {{"Steel", "ST", "1.0037"}, {"Aluminium", "AL", "3.3547"}}),
              compositeItem("code"), compositeItem("number")});
    addComposite(0, 1, {fieldPart(0, 0, 0, 1)});
    addComposite(0, 2, {fieldPart(0, 0, 0, 2)});
    M &m = loadQuiet();

    combo(item(0, 0, 0).valueControls[0])->setListIndex(1);
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(0, 1), "AL");
    EXPECT_EQ(text(0, 2), "3.3547");

    combo(item(0, 0, 0).valueControls[0])->setListIndex(-1);
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(0, 1), "");
    EXPECT_EQ(labelColour(0, 1), colours::toColor(colours::Incomplete));
}

class LinkedListTest : public CompositesTest {
protected:
    // Item 0 a plain field, item 1 the list target, items 2..4 the list's members, item 5 a
    // composite of the plain field, a hyphen and the list.
    M &open()
    {
        openPart("Part1.SLDPRT", {});
        CPItem target = listItem("kind", {{"Bar", "", ""}, {"Tube", "", ""}, {"Sheet", "", ""}});
        target.isListTarget = true;
        target.listRef = CPRef{0, 0, 0};
        std::vector<CPItem> items{plainItem("a"), target};
        for (const char *tag : {"barSize", "tubeSize", "sheetSize"}) {
            CPItem member = plainItem(tag);
            member.inList = true;
            member.listRef = CPRef{0, 0, 0};
            member.listIndex = 0;
            member.displayName = tag;
            items.push_back(member);
        }
        items.push_back(compositeItem("summary"));
        Group &group = addGroup(state, 0, "G", std::move(items));
        group.lists.push_back(CPList{});
        group.lists[0].linked = true;
        group.lists[0].target = CPRef{0, 0, 1};
        group.lists[0].members = {CPRef{0, 0, 2}, CPRef{0, 0, 3}, CPRef{0, 0, 4}};
        addComposite(0, 5, {fieldPart(0, 0, 0), literal("-"), fieldPart(0, 0, 2)});
        return loadQuiet();
    }

    QWidget *value(int i) { return widgetOf(item(0, 0, i).valueControls[0]); }
    MultiColumnComboBox *selector() { return combo(item(0, 0, 2).labelControls[0]); }
};

TEST_F(LinkedListTest, ChoosingAnEntryShowsItsMemberAndClearingShowsTheFirstDisabled)
{
    M &m = open();
    combo(value(1))->setListIndex(2);
    m.dispLinkedItem(0, 0, 1, 0);
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(selector()->listIndex(), 2);
    EXPECT_EQ(state.frames[0].groups[0].lists[0].defaultIndex, 2);
    EXPECT_FALSE(value(2)->isVisibleTo(&m));
    EXPECT_FALSE(value(3)->isVisibleTo(&m));
    EXPECT_TRUE(value(4)->isVisibleTo(&m));
    EXPECT_TRUE(value(4)->isEnabled());
    EXPECT_EQ(value(4)->focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(value(2)->isEnabled());

    combo(value(1))->setListIndex(-1);
    m.dispLinkedItem(0, 0, 1, 0);
    EXPECT_EQ(selector()->listIndex(), -1);
    EXPECT_TRUE(value(2)->isVisibleTo(&m));
    EXPECT_FALSE(value(2)->isEnabled());
    EXPECT_EQ(value(2)->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(value(4)->isVisibleTo(&m));
    EXPECT_TRUE(widgetOf(item(0, 0, 2).unitsControls[0])->isVisibleTo(&m));
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(LinkedListTest, CompositeOfAListReadsTheChosenMemberAndLeavesOtherPartsAlone)
{
    M &m = open();
    setText(0, 0, "A");
    setText(0, 2, "bar");
    setText(0, 3, "tube");
    combo(value(1))->setListIndex(1);
    m.dispLinkedItem(0, 0, 1, 0);

    // A change of the chosen member, and a change of the plain part: both read the tube member,
    // and the plain part reads itself, not an item one further down.
    m.buildComposites(0, 0, 3, 0);
    EXPECT_EQ(text(0, 5), "A-tube");
    setText(0, 0, "Z");
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(0, 5), "Z-tube");

    // Nothing chosen: a member's change rebuilds nothing.
    combo(value(1))->setListIndex(-1);
    m.dispLinkedItem(0, 0, 1, 0);
    setText(0, 0, "Y");
    m.buildComposites(0, 0, 2, 0);
    EXPECT_EQ(text(0, 5), "Z-tube");
    EXPECT_TRUE(state.runOk);
}

TEST_F(CompositesTest, SplitTagReadsFourNumbersAndRefusesAnythingElse)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "G", {plainItem("a")});
    M &m = loadQuiet();

    int16_t f = -1, g = -1, i = -1, c = -1;
    EXPECT_TRUE(m.splitTag("000:002:005:001", f, g, i, c));
    EXPECT_EQ((std::array<int16_t, 4>{f, g, i, c}), (std::array<int16_t, 4>{0, 2, 5, 1}));
    EXPECT_TRUE(m.splitTag("1:2:1234:10", f, g, i, c));
    EXPECT_EQ((std::array<int16_t, 4>{f, g, i, c}), (std::array<int16_t, 4>{1, 2, 1234, 10}));
    EXPECT_TRUE(state.runOk);

    for (const char *bad : {"000:002:---:001", "000:002:005", "1:2:3:4:5", "0:0:0:40000", "", "0:0: 1:0", "a:b:c:d"}) {
        state.currentProc.clear();
        EXPECT_FALSE(m.splitTag(bad, f, g, i, c)) << bad;
        EXPECT_FALSE(state.runOk);
        EXPECT_EQ(state.currentProc, "splitTag");
        EXPECT_EQ((std::array<int16_t, 4>{f, g, i, c}), (std::array<int16_t, 4>{1, 2, 1234, 10}));
    }
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CompositesTest, FailuresAreReportedUnderTheirOwnNames)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "G", {plainItem("a"), compositeItem("k"), compositeItem("ring")});
    addComposite(0, 1, {fieldPart(0, 0, 0)});
    // Two composites that use each other: their change handlers would rebuild them without end.
    addComposite(0, 2, {fieldPart(0, 0, 1), literal("x")});
    addComposite(0, 1, {fieldPart(0, 0, 2)});
    M &m = loadQuiet();
    for (int i : {1, 2})
        QObject::connect(qobject_cast<QLineEdit *>(item(0, 0, i).valueControls[0]), &QLineEdit::textChanged, &m,
                         [&m, i] { m.buildComposites(0, 0, i, 0); });
    setText(0, 0, "A");
    m.buildComposites(0, 0, 0, 0);
    ASSERT_FALSE(prompts.boxes().empty());
    EXPECT_EQ(prompts.boxes().back().text, "Error 0 : 28 (Out of stack space) in <buildComposites>     ");

    item(0, 0, 0).compositeRefs = {7};
    m.buildComposites(0, 0, 0, 0);
    EXPECT_FALSE(state.runOk);
    EXPECT_EQ(prompts.boxes().back().title, "Tavik: Error");
    EXPECT_EQ(prompts.boxes().back().text, "Error 0 : 9 (Subscript out of range) in <buildComposites>     ");

    // A target whose list points nowhere.
    item(0, 0, 0).isListTarget = true;
    item(0, 0, 0).listRef = CPRef{0, 0, 3};
    m.dispLinkedItem(0, 0, 0, 0);
    EXPECT_EQ(prompts.boxes().back().text, "Error 0 : 9 (Subscript out of range) in <dispLinkedItem>     ");
}
