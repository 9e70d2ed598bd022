// Editing a field: the prototype check on leaving it and what a rejected entry holds back, the
// normalising of typed entries, values spread into every slot, and the value menu.

#include "editing_fixture.h"

#include "editor/colours.h"
#include "editor/tab_strip.h"

#include <QListWidget>

using namespace tavik;

namespace {

CPItem prototyped(const QString &tag, const QString &prototype)
{
    CPItem item = plainItem(tag);
    item.hasPrototype = true;
    item.prototype = prototype;
    item.units = tag + QStringLiteral(" units");
    item.defaultValue.clear();
    return item;
}

CPItem listField(const QString &tag, const QStringList &entries)
{
    CPItem item = plainItem(tag);
    item.type = QStringLiteral("list");
    item.defaultValue = entries.value(0);
    for (const QString &entry : entries) {
        CPOption option;
        option.values[0] = entry;
        item.options.push_back(option);
    }
    return item;
}

bool mismatchColour(QWidget *field)
{
    return colours::backColor(field) == colours::toColor(colours::Mismatch);
}

} // namespace

class EditingTest : public EditingFixture {};

TEST_F(EditingTest, LeavingAFieldChecksItsEntryAgainstThePrototype)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "Main", {prototyped("Code", "###-??"), prototyped("Grade", "[A-C]*"), plainItem("Note")});
    M &m = open();
    auto *note = field(0, 0, 2, 0);

    struct Case {
        int item;
        QString entry;
        bool accepted;
    };
    const Case cases[] = {
        {0, "123-AB", true}, {0, "12-AB", false}, {0, "123-ABC", false}, {0, "", true},
        {1, "B", true},      {1, "Cxyz", true},   {1, "b", false},       {1, "", true},
    };
    for (const Case &k : cases) {
        auto *box = field<FieldTextBox>(0, 0, k.item, 0);
        const QString prototype = item(0, 0, k.item).prototype;
        type(box, k.entry);
        leaveTo(note);
        SCOPED_TRACE((prototype + " / " + k.entry).toStdString());
        EXPECT_EQ(m.formState().prototypeMismatch, !k.accepted);
        EXPECT_EQ(mismatchColour(box), !k.accepted);
        EXPECT_EQ(box->toolTip(), k.accepted ? item(0, 0, k.item).units : "Does not match prototype: " + prototype);
        // A rejected entry keeps the focus in its field.
        EXPECT_EQ(QApplication::focusWidget() == box, !k.accepted);
    }
    EXPECT_TRUE(prompts.boxes().empty());

    // The focus passing through a field with an accepted entry, on its way back to the rejected
    // one, is no leaving of that field: the mismatch stays.
    auto *code = field<FieldTextBox>(0, 0, 0, 0);
    auto *grade = field<FieldTextBox>(0, 0, 1, 0);
    type(grade, "A");
    type(code, "1");
    leaveTo(grade);
    EXPECT_TRUE(m.formState().prototypeMismatch);
    EXPECT_EQ(QApplication::focusWidget(), code);
    EXPECT_TRUE(mismatchColour(code));
}

TEST_F(EditingTest, RejectedEntryHoldsTheTabAndSlotUntilItIsPutRight)
{
    openPart("Part1.SLDPRT", {"Default", "Long"});
    addGroup(state, 0, "Main", {prototyped("Code", "###-??"), plainItem("Note")});
    addGroup(state, 0, "More", {plainItem("Finish")});
    state.useConfigs = true;
    M &m = open();
    auto *code = field<FieldTextBox>(0, 0, 0, 0);
    auto *strip = qobject_cast<TabStrip *>(state.frames[0].tabStrip);

    type(code, "12-AB");
    leaveTo(m.configsList());
    ASSERT_TRUE(m.formState().prototypeMismatch);
    m.configsList()->setCurrentRow(2);
    EXPECT_EQ(m.configsList()->currentRow(), 0);
    EXPECT_EQ(state.activeConfigIndex, 0);
    strip->selectTab(2);
    EXPECT_EQ(strip->selectedIndex(), 1);
    EXPECT_EQ(state.frames[0].currentTab, 0);
    EXPECT_TRUE(page(0, 0, 0)->isVisibleTo(&m));

    // The next keystroke takes back the warning at once; the check waits for the next leaving.
    QTest::keyClick(code, Qt::Key_Backspace);
    EXPECT_FALSE(mismatchColour(code));
    EXPECT_EQ(colours::backColor(code), colours::toColor(colours::WindowBackground));
    EXPECT_EQ(code->toolTip(), "Code units");
    EXPECT_TRUE(m.formState().prototypeMismatch);

    type(code, "123-AB");
    leaveTo(field(0, 0, 1, 0));
    EXPECT_FALSE(m.formState().prototypeMismatch);
    m.configsList()->setCurrentRow(2);
    EXPECT_EQ(state.activeConfigIndex, 2);
}

TEST_F(EditingTest, TypedEntriesAreNormalised)
{
    openPart("Part1.SLDPRT", {});
    auto caps = plainItem("Caps");
    caps.allCaps = true;
    auto target = listField("Material", {"Steel", "Brass", "Alu"});
    target.isListTarget = true;
    target.listRef = {0, 0, 0};
    std::vector<CPItem> items{caps, listField("Finish", {"Paint", "Zinc"}), target};
    for (const char *name : {"SteelGrade", "BrassGrade", "AluGrade"}) {
        auto member = plainItem(QLatin1String(name));
        member.inList = true;
        member.listRef = {0, 0, 0};
        items.push_back(member);
    }
    Group &group = addGroup(state, 0, "Main", items);
    CPList list;
    list.linked = true;
    list.target = {0, 0, 2};
    list.members = {{0, 0, 3}, {0, 0, 4}, {0, 0, 5}};
    group.lists.push_back(list);
    M &m = open();

    auto *capsBox = field<FieldTextBox>(0, 0, 0, 0);
    type(capsBox, "ab-c");
    EXPECT_EQ(capsBox->text(), "AB-C");
    QTest::keyClick(capsBox, Qt::Key_Left);
    QTest::keyClicks(capsBox, "x");
    EXPECT_EQ(capsBox->text(), "AB-XC");

    // A combo field always holds one of its entries: typed text that is none selects the first.
    auto *finish = field<MultiColumnComboBox>(0, 0, 1, 0);
    finish->setListIndex(1);
    type(finish, "qq");
    EXPECT_EQ(finish->listIndex(), 0);
    EXPECT_EQ(finish->value(), "Paint");
    type(finish, "zz");
    EXPECT_EQ(finish->value(), "Paint");

    // A list target's choice is remembered by its list and shown by the list's selector.
    auto *material = field<MultiColumnComboBox>(0, 0, 2, 0);
    material->setListIndex(2);
    EXPECT_EQ(state.frames[0].groups[0].lists[0].defaultIndex, 2);
    auto *selector = qobject_cast<MultiColumnComboBox *>(item(0, 0, 3).labelControls[0]);
    EXPECT_EQ(selector->listIndex(), 2);
    EXPECT_TRUE(field(0, 0, 5, 0)->isVisibleTo(&m));
    EXPECT_FALSE(field(0, 0, 3, 0)->isVisibleTo(&m));
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(EditingTest, SameForAllConfigurationsSpreadsIntoEverySlot)
{
    openPart("Part1.SLDPRT", {"Default", "Long"});
    auto same = plainItem("Maker");
    same.sameForAllConfigs = true;
    auto sameList = listField("Grade", {"A", "B", "C"});
    sameList.sameForAllConfigs = true;
    auto own = plainItem("Own");
    addGroup(state, 0, "Main", {same, sameList, own});
    state.useConfigs = true;
    M &m = open();
    m.configsList()->setCurrentRow(2);

    type(field(0, 0, 0, 2), "ACME");
    type(field(0, 0, 2, 2), "mine");
    field<MultiColumnComboBox>(0, 0, 1, 2)->setFocus();
    field<MultiColumnComboBox>(0, 0, 1, 2)->setListIndex(2);
    leaveTo(field(0, 0, 0, 2));
    leaveTo(field(0, 0, 2, 2));
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(field<FieldTextBox>(0, 0, 0, c)->text(), "ACME") << c;
        EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 1, c)->listIndex(), 2) << c;
    }
    EXPECT_EQ(field<FieldTextBox>(0, 0, 2, 0)->text(), "Own-default");
}

TEST_F(EditingTest, RightButtonOpensTheValueMenuOnTheWholeEntry)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "Main", {plainItem("A"), listField("B", {"x", "y"})});
    M &m = open();

    auto *a = field<FieldTextBox>(0, 0, 0, 0);
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_EQ(m.formState().menuTag, "000:000:000:000");
    EXPECT_FALSE(m.valueMenu()->isVisible());

    auto *b = field<MultiColumnComboBox>(0, 0, 1, 0);
    rightClick(b);
    EXPECT_EQ(m.formState().menuTag, "000:000:001:000");
    EXPECT_EQ(b->lineEdit()->selectedText(), "x");
    EXPECT_TRUE(m.valueMenu()->isVisible());
    m.valueMenu()->hide();

    rightClick(a);
    EXPECT_EQ(m.formState().menuTag, "000:000:000:000");
    EXPECT_EQ(a->selectedText(), "A-default");
    EXPECT_TRUE(m.valueMenu()->isVisible());
    m.valueMenu()->hide();
}
