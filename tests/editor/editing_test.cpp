// Editing a field: the prototype check on leaving it and what a rejected entry holds back, the
// normalising of typed entries, and values spread into every slot.

#include "editing_fixture.h"

#include "widgets/colours.h"
#include "editor/tab_strip.h"

#include <QListWidget>
#include <QPushButton>

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

bool refused(QWidget *field)
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
    const struct {
        int item;
        const char *entry;
        bool accepted;
    } cases[] = {
        {0, "123-AB", true}, {0, "12-AB", false}, {0, "123-ABC", false}, {0, "", true},
        {1, "B", true},      {1, "Cxyz", true},   {1, "b", false},       {1, "", true},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.entry);
        FieldTextBox *box = field(0, 0, k.item, 0);
        type(box, k.entry);
        leaveTo(field(0, 0, 2, 0));
        EXPECT_EQ(m.formState().prototypeMismatch, !k.accepted);
        EXPECT_EQ(refused(box), !k.accepted);
        EXPECT_EQ(box->toolTip().toStdString(), k.accepted ? item(0, 0, k.item).units.toStdString()
                                                           : "Does not match prototype: " + item(0, 0, k.item).prototype.toStdString());
        EXPECT_EQ(QApplication::focusWidget() == box, !k.accepted);
    }

    // On its way back to the refused field the focus passes through another one whose entry
    // fits; that is no leaving of it, and the mismatch stays.
    type(field(0, 0, 1, 0), "A");
    type(field(0, 0, 0, 0), "1");
    leaveTo(field(0, 0, 1, 0));
    EXPECT_TRUE(m.formState().prototypeMismatch);
    EXPECT_EQ(QApplication::focusWidget(), field(0, 0, 0, 0));
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(EditingTest, RefusedEntryHoldsTheTabAndSlotUntilItIsPutRight)
{
    openPart("Part1.SLDPRT", {"Default", "Long"});
    addGroup(state, 0, "Main", {prototyped("Code", "###-??"), plainItem("Note")});
    addGroup(state, 0, "More", {plainItem("Finish")});
    state.useConfigs = true;
    M &m = open();
    FieldTextBox *code = field(0, 0, 0, 0);
    auto *strip = qobject_cast<TabStrip *>(state.frames[0].tabStrip);

    type(code, "12-AB");
    leaveTo(m.configsList());
    m.configsList()->setCurrentRow(2);
    strip->selectTab(2);
    EXPECT_EQ(state.activeConfigIndex, 0);
    EXPECT_EQ(state.frames[0].currentTab, 0);
    EXPECT_TRUE(page(0, 0, 0)->isVisibleTo(&m));

    // The next keystroke takes the warning back at once; the check waits for the next leaving.
    QTest::keyClick(code, Qt::Key_Backspace);
    EXPECT_EQ(colours::backColor(code), colours::toColor(colours::WindowBackground));
    EXPECT_EQ(code->toolTip(), QStringLiteral("Code units"));
    EXPECT_TRUE(m.formState().prototypeMismatch);

    type(code, "123-AB");
    leaveTo(field(0, 0, 1, 0));
    m.configsList()->setCurrentRow(2);
    EXPECT_EQ(state.activeConfigIndex, 2);
}

TEST_F(EditingTest, DoneRefusesARefusedEntryAndShowsItsField)
{
    auto doc = openPart("Part1.SLDPRT", {"Default", "Long"});
    addGroup(state, 0, "Main", {prototyped("Code", "###-??"), plainItem("Note")});
    addGroup(state, 0, "More", {plainItem("Finish")});
    state.useConfigs = true;
    M &m = open();
    auto *strip = qobject_cast<TabStrip *>(state.frames[0].tabStrip);

    // Refused in the Default slot. Should the editor ever move away from it, Done still finds
    // it and brings it back.
    m.configsList()->setCurrentRow(1);
    FieldTextBox *code = field(0, 0, 0, 1);
    type(code, "12-AB");
    leaveTo(field(0, 0, 1, 1));
    m.formState().prototypeMismatch = false;
    m.configsList()->setCurrentRow(2);
    strip->selectTab(2);
    ASSERT_EQ(state.frames[0].currentTab, 1);

    m.done()->click();
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].text, "Code in configuration Default does not match its prototype ###-??; nothing was saved.");
    EXPECT_EQ(prompts.boxes()[0].title, "Tavik: Warning");
    EXPECT_TRUE(m.isVisible()) << "the editor stays open";
    EXPECT_EQ(doc->CustomInfo2("Default", "Code"), "") << "nothing is written";
    EXPECT_EQ(state.activeConfigIndex, 1);
    EXPECT_EQ(strip->selectedIndex(), 1);
    EXPECT_TRUE(page(0, 0, 1)->isVisibleTo(&m));
    EXPECT_EQ(QApplication::focusWidget(), code);
    EXPECT_TRUE(m.formState().prototypeMismatch);
}

TEST_F(EditingTest, TypedEntriesAreNormalised)
{
    openPart("Part1.SLDPRT", {});
    auto caps = plainItem("Caps");
    caps.allCaps = true;
    addGroup(state, 0, "Main", {caps, listItem("Finish", {"Paint", "Zinc"}, "Paint")});
    open();

    FieldTextBox *capsBox = field(0, 0, 0, 0);
    type(capsBox, "ab-c");
    QTest::keyClick(capsBox, Qt::Key_Left);
    QTest::keyClicks(capsBox, "x");
    EXPECT_EQ(capsBox->text(), QStringLiteral("AB-XC"));

    // Typed text that is none of a combo field's entries stays while the user types, and the
    // first entry takes its place when the field is left, whichever entry was chosen before.
    auto *finish = field<MultiColumnComboBox>(0, 0, 1, 0);
    for (int before : {1, 0}) {
        finish->setListIndex(before);
        type(finish, "qq");
        EXPECT_EQ(finish->value(), QStringLiteral("qq"));
        leaveTo(capsBox);
        EXPECT_EQ(finish->listIndex(), 0);
        EXPECT_EQ(finish->value(), QStringLiteral("Paint"));
    }
}

TEST_F(EditingTest, SameForAllConfigurationsSpreadsIntoEverySlot)
{
    openPart("Part1.SLDPRT", {"Default", "Long"});
    auto same = plainItem("Maker");
    same.sameForAllConfigs = true;
    auto sameList = listItem("Grade", {"A", "B", "C"}, "A");
    sameList.sameForAllConfigs = true;
    addGroup(state, 0, "Main", {same, sameList, plainItem("Own")});
    state.useConfigs = true;
    M &m = open();
    m.configsList()->setCurrentRow(2);

    type(field(0, 0, 0, 2), "ACME");
    type(field(0, 0, 2, 2), "mine");
    field<MultiColumnComboBox>(0, 0, 1, 2)->setFocus();
    field<MultiColumnComboBox>(0, 0, 1, 2)->setListIndex(2);
    leaveTo(field(0, 0, 2, 2));
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(field(0, 0, 0, c)->text(), QStringLiteral("ACME")) << c;
        EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 1, c)->listIndex(), 2) << c;
    }
    EXPECT_EQ(field(0, 0, 2, 0)->text(), QStringLiteral("Own-default"));

    // A value the document held that is none of the entries spreads as it is.
    auto *grade = field<MultiColumnComboBox>(0, 0, 1, 2);
    m.formState().suppressEvents = true;
    grade->setValue(QStringLiteral("Z"));
    m.formState().suppressEvents = false;
    grade->setFocus();
    leaveTo(field(0, 0, 2, 2));
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 1, c)->value(), QStringLiteral("Z")) << c;
        EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 1, c)->listIndex(), -1) << c;
    }
}
