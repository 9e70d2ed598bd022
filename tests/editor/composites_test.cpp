// Composite fields built from other fields and literal texts, and linked lists whose target picks
// the member shown.

#include "editor_fixture.h"

#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "widgets/colours.h"

#include <QLineEdit>

using namespace tavik;

namespace {

CPItem typed(const QString &tag, const char *type, std::vector<std::array<QString, 3>> entries = {})
{
    CPItem item = plainItem(tag);
    item.type = QLatin1String(type);
    item.editable = false;
    item.units = tag + QStringLiteral(" units");
    item.defaultValue.clear();
    for (const auto &texts : entries)
        item.options.push_back(CPOption{texts, 0});
    return item;
}

CompositePart part(int16_t i, int16_t useValue = 0)
{
    return CompositePart{CPRef{0, 0, i}, useValue, QString()};
}
CompositePart literal(const QString &text)
{
    return CompositePart{CPRef{0, 0, 0}, -1, text};
}

} // namespace

class CompositesTest : public EditorFixture {
protected:
    // Adds a composite owned by item owner of group 0 and binds its parts as the resolution does,
    // then (on the last call) loads with the fields' own change handlers held still.
    void addComposite(int16_t owner, std::vector<CompositePart> parts)
    {
        Frame &frame = state.frames[0];
        frame.composites.push_back(Composite{CPRef{0, 0, owner}, parts});
        for (const CompositePart &p : parts)
            if (p.useValue >= 0) {
                CPItem &used = item(0, 0, p.ref.i_idx);
                used.compositeRefs.push_back(int16_t(frame.composites.size() - 1));
                used.compositeRefsUpper = int16_t(used.compositeRefs.size() - 1);
            }
    }
    M &loadQuiet()
    {
        M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        m.formState().suppressEvents = true;
        return m;
    }

    QWidget *field(int i, int c = 0) { return widgetOf(item(0, 0, i).valueControls[size_t(c)]); }
    QString text(int i, int c = 0) { return fieldValue(field(i, c)); }
    void set(int i, const QString &t, int c = 0) { setFieldValue(field(i, c), t); }
    MultiColumnComboBox *combo(int i) { return comboOf(field(i)); }
    QColor labelColour(int i) { return colours::foreColor(widgetOf(item(0, 0, i).labelControls[0])); }
};

TEST_F(CompositesTest, FieldLiteralFieldCompleteIncompleteCutAndEditable)
{
    openPart("Part1.SLDPRT", {"Default"});
    CPItem cut = typed("cut", "composite");
    cut.length = 4;
    CPItem documentOnly = typed("documentOnly", "composite");
    documentOnly.location = OnlyDocument;
    CPItem own = typed("own", "composite");
    own.editable = true;
    addGroup(state, 0, "G", {plainItem("a"), plainItem("b"), typed("k", "composite"), cut, documentOnly, own});
    for (int16_t owner : {2, 3})
        addComposite(owner, {part(0), literal("-"), part(1)});
    addComposite(4, {part(0)});
    addComposite(5, {literal("<"), part(0), literal(">")});
    M &m = loadQuiet();

    set(5, "my own");
    set(0, "AAA");
    set(1, "B");
    m.buildComposites(0, 0, 1, 0);
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(text(2), "AAA-B");
    EXPECT_TRUE(labelColour(2) == colours::toColor(colours::ButtonText) && field(2)->toolTip() == "k units");
    EXPECT_EQ(text(3), "AAA-") << "cut at its length";

    set(1, "");
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(2), "AAA-");
    EXPECT_TRUE(labelColour(2) == colours::toColor(colours::Incomplete)
        && field(2)->toolTip() == "Highlighted field is incomplete");
    EXPECT_EQ(text(5), "my own") << "a user's entry survives";
    set(5, "");
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(5), "<AAA>");

    // The document-only composite has no field on the configuration slot: nothing to do there.
    set(0, "X", 1);
    m.buildComposites(0, 0, 0, 1);
    EXPECT_EQ(text(2, 1), "X-b-default");
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CompositesTest, LinkedListShowsTheChosenMemberAndCompositesReadIt)
{
    // Item 0 a plain field, 1 the target, 2..4 the members, 5 the plain field, "-" and the list.
    openPart("Part1.SLDPRT", {});
    CPItem target = typed("kind", "list", {{"Bar", "", ""}, {"Tube", "", ""}, {"Sheet", "", ""}});
    target.isListTarget = true;
    target.sourceList = CPRef{0, 0, 0};
    Group &group = addGroup(state, 0, "G",
        {plainItem("a"), target, plainItem("bar"), plainItem("tube"), plainItem("sheet"),
            typed("summary", "composite")});
    makeList(group, {2, 3, 4});
    addComposite(5, {part(0), literal("-"), part(2)});
    M &m = loadQuiet();
    auto *selector = comboOf(item(0, 0, 2).labelControls[0]);

    set(0, "A");
    combo(1)->setListIndex(2);
    m.dispLinkedItem(0, 0, 1, 0);
    EXPECT_EQ(text(5), "A-sheet-default") << "the composite follows the member shown";
    EXPECT_TRUE(selector->listIndex() == 2 && group.lists[0].defaultIndex == 2);
    EXPECT_FALSE(field(2)->isVisibleTo(&m) || field(3)->isVisibleTo(&m));
    EXPECT_TRUE(field(4)->isVisibleTo(&m) && field(4)->isEnabled());

    // The member's change and the plain part's change both read the sheet member; the plain part
    // reads itself, not an item further down.
    set(4, "S");
    m.buildComposites(0, 0, 4, 0);
    EXPECT_EQ(text(5), "A-S");
    set(0, "Z");
    m.buildComposites(0, 0, 0, 0);
    EXPECT_EQ(text(5), "Z-S");

    combo(1)->setListIndex(-1);
    m.dispLinkedItem(0, 0, 1, 0);
    EXPECT_EQ(selector->listIndex(), -1);
    EXPECT_TRUE(field(2)->isVisibleTo(&m) && !field(2)->isEnabled() && !field(4)->isVisibleTo(&m));
    set(0, "Y");
    m.buildComposites(0, 0, 2, 0);
    EXPECT_EQ(text(5), "Z-S") << "nothing chosen: a member's change builds nothing";
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CompositesTest, SplitTagReadsFourNumbersAndRefusesAnythingElse)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "G", {plainItem("a")});
    M &m = loadQuiet();
    std::array<int16_t, 4> n{};
    EXPECT_TRUE(m.splitTag("001:002:1234:010", n[0], n[1], n[2], n[3]));
    EXPECT_EQ(n, (std::array<int16_t, 4>{1, 2, 1234, 10}));
    for (const char *bad : {"000:002:---:001", "000:002:005", "1:2:3:4:5", "0:0:0:40000", "0:0: 1:0"}) {
        state.currentProc.clear();
        EXPECT_FALSE(m.splitTag(bad, n[0], n[1], n[2], n[3])) << bad;
        EXPECT_FALSE(state.runOk);
        EXPECT_EQ(state.currentProc, "splitTag");
        EXPECT_EQ(n, (std::array<int16_t, 4>{1, 2, 1234, 10}));
    }
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CompositesTest, RingsAreReportedOnceByNameAndHandlersNeverReenterWithoutBound)
{
    // A list target that is its own member, which the load refuses; the editor still stops.
    openPart("Part1.SLDPRT", {});
    CPItem self = typed("self", "list", {{"self label", "", ""}});
    self.isListTarget = true;
    self.sourceList = CPRef{0, 0, 0};
    makeList(addGroup(state, 0, "G", {self, plainItem("a"), typed("k", "composite"), typed("ring", "composite")}), {0});
    addComposite(2, {part(1)});
    // Two composites that use each other, through change handlers that would rebuild them again.
    addComposite(3, {part(2), literal("x")});
    addComposite(2, {part(3)});
    M &m = load();
    ASSERT_EQ(prompts.boxes().size(), 1u) << "told once, at the load";
    EXPECT_EQ(prompts.boxes()[0].text,
        "Error 0 : 28 (Composites and linked lists feed each other in a ring: k -> ring -> k) in <buildComposites>    "
        " ");
    m.editing().comboBoxChange(combo(0));
    EXPECT_EQ(combo(0)->listIndex(), 0);
    set(1, "A");
    m.buildComposites(0, 0, 1, 0);
    EXPECT_EQ(prompts.boxes().size(), 1u);

    item(0, 0, 1).compositeRefs = {7};
    m.buildComposites(0, 0, 1, 0);
    EXPECT_FALSE(state.runOk);
    EXPECT_EQ(prompts.boxes().back().text, "Error 0 : 9 (Subscript out of range) in <buildComposites>     ");

    item(0, 0, 1).isListTarget = true;
    item(0, 0, 1).sourceList = CPRef{0, 0, 3};
    m.dispLinkedItem(0, 0, 1, 0);
    EXPECT_EQ(prompts.boxes().back().text, "Error 0 : 9 (Subscript out of range) in <dispLinkedItem>     ");
}
