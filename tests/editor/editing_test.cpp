// Editing a field: the prototype check on leaving it and what a rejected entry holds back, values
// spread into every slot; and the commands on many fields or one value: Clear of the frame and
// slot shown, Load Defaults and the value menu.

#include "editor_fixture.h"

#include "editor/get_next_look.h"
#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "widgets/colours.h"
#include "widgets/field_text_box.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

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

bool drawnLook(QWidget *button)
{
    return button->font().strikeOut() || !button->toolTip().isEmpty();
}

} // namespace

// The editor shown and active (focus changes need an active window), with a person's typing
// into fields and moving the focus away.
class EditingTest : public EditorFixture {
protected:
    tavik::M &open()
    {
        tavik::M &m = load();
        EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
        m.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        return m;
    }

    template <typename T = tavik::FieldTextBox>
    T *field(int f, int g, int i, int c)
    {
        return qobject_cast<T *>(item(f, g, i).valueControls.at(size_t(c)));
    }

    // Focus, the old entry selected, then one key per character.
    static void type(QWidget *field, const QString &text)
    {
        field->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        auto *edit = qobject_cast<QLineEdit *>(field);
        if (!edit)
            edit = qobject_cast<QComboBox *>(field)->lineEdit();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }

    // The focus goes to another control, and whatever that sets off has happened.
    static void leaveTo(QWidget *other)
    {
        other->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    static void choose(QMenu *menu, const char *entry)
    {
        for (QAction *action : menu->actions())
            if (action->objectName() == QLatin1String(entry))
                action->trigger();
    }
};

TEST_F(EditingTest, LeavingAFieldChecksItsEntryAgainstThePrototype)
{
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "Main", {prototyped("Code", "###-??"), prototyped("Grade", "[A-C]*"), plainItem("Note")});
    M &m = open();
    const struct {
        int item;
        const char *entry;
        bool accepted;
    } cases[] = {{0, "12-AB", false}, {0, "", true}, {1, "Cxyz", true}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.entry);
        FieldTextBox *box = field(0, 0, k.item, 0);
        type(box, k.entry);
        leaveTo(field(0, 0, 2, 0));
        EXPECT_TRUE(m.formState().prototypeMismatch == !k.accepted && refused(box) == !k.accepted);
        EXPECT_EQ(box->toolTip().toStdString(),
            k.accepted ? item(0, 0, k.item).units.toStdString()
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
    EXPECT_EQ(prompts.boxes()[0].text,
        "Code in configuration Default does not match its prototype ###-??; nothing was saved.");
    EXPECT_TRUE(m.isVisible()) << "the editor stays open";
    EXPECT_EQ(doc->CustomInfo2("Default", "Code"), "") << "nothing is written";
    EXPECT_TRUE(state.activeConfigIndex == 1 && strip->selectedIndex() == 1 && page(0, 0, 1)->isVisibleTo(&m));
    EXPECT_TRUE(QApplication::focusWidget() == code && m.formState().prototypeMismatch);
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
    auto grade = [&](int c) { return field<MultiColumnComboBox>(0, 0, 1, c); };

    type(field(0, 0, 0, 2), "ACME");
    type(field(0, 0, 2, 2), "mine");
    grade(2)->setFocus();
    grade(2)->setListIndex(2);
    leaveTo(field(0, 0, 2, 2));
    for (int c = 0; c < 3; ++c)
        EXPECT_TRUE(field(0, 0, 0, c)->text() == "ACME" && grade(c)->listIndex() == 2) << c;
    EXPECT_EQ(field(0, 0, 2, 0)->text(), QStringLiteral("Own-default"));
}

TEST_F(EditingTest, ClearEmptiesTheFrameAndSlotShownOnly)
{
    openPart("Part1.SLDPRT", {"Default", "Long"});
    addGroup(state, 0, "Main", {serialItem("Serial"), listItem("Grade", {"A", "B"}, "A")});
    addGroup(state, 1, "Buy", {plainItem("Vendor")});
    state.useConfigs = true;
    M &m = open();
    auto getNext = [&](int c) { return qobject_cast<QPushButton *>(item(0, 0, 0).unitsControls.at(size_t(c))); };
    for (int c = 0; c < 3; ++c) {
        field(0, 0, 0, c)->setText(QStringLiteral("S-%1").arg(c));
        showNumberDrawn(getNext(c), true);
        field<MultiColumnComboBox>(0, 0, 1, c)->setListIndex(1);
    }

    m.Clear()->click();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(field(0, 0, 0, 0)->text(), QString());
    EXPECT_FALSE(drawnLook(getNext(0)));
    // Not taken for a person's edit: the list field stays without a choice.
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 1, 0)->listIndex(), -1);
    for (int c = 1; c < 3; ++c) {
        EXPECT_EQ(field(0, 0, 0, c)->text(), QStringLiteral("S-%1").arg(c));
        EXPECT_TRUE(drawnLook(getNext(c)));
        EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 1, c)->listIndex(), 1);
    }
    EXPECT_EQ(field(1, 0, 0, 0)->text(), QStringLiteral("Vendor-default"));
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(EditingTest, LoadDefaultsFillsOnlyEmptyFields)
{
    openPart("Part1.SLDPRT", {});
    auto target = listItem("Material", {"Steel", "Brass", "Alu"}, "Steel");
    target.isListTarget = true;
    target.sourceList = {0, 0, 0};
    CPList &list = makeList(addGroup(state, 0, "Main",
                                {plainItem("Kept"), plainItem("Empty"), listItem("Finish", {"Paint", "Zinc"}, "Zinc"),
                                    listItem("Odd", {"x", "y"}, "not an entry"), target, plainItem("SteelGrade"),
                                    plainItem("BrassGrade"), plainItem("AluGrade")}),
        {5, 6, 7});
    list.linked = true;
    list.target = {0, 0, 4};
    M &m = open();

    // The member chosen last is the one the defaults bring back after a Clear.
    auto *material = field<MultiColumnComboBox>(0, 0, 4, 0);
    material->setListIndex(2);
    m.Clear()->click();
    type(field(0, 0, 0, 0), "mine");

    m.Defaults()->click();
    EXPECT_TRUE(state.runOk);
    EXPECT_TRUE(field(0, 0, 0, 0)->text() == "mine" && field(0, 0, 1, 0)->text() == "Empty-default");
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 2, 0)->value(), QStringLiteral("Zinc"));
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 3, 0)->listIndex(), 0) << "a default that is no entry";
    EXPECT_EQ(material->listIndex(), 2);
    EXPECT_TRUE(field(0, 0, 7, 0)->isVisibleTo(&m) && !field(0, 0, 5, 0)->isVisibleTo(&m));
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(EditingTest, ValueMenuActsOnTheFieldItWasOpenedOn)
{
    // Copy and paste between fields are in the editing script; here the serial number's look and
    // a tag that names nothing.
    openPart("Part1.SLDPRT", {});
    addGroup(state, 0, "Main", {plainItem("Note"), serialItem("Serial")});
    M &m = open();
    auto *button = qobject_cast<QWidget *>(item(0, 0, 1).unitsControls[0]);
    field(0, 0, 1, 0)->setText(QStringLiteral("S-7"));
    showNumberDrawn(button, true);
    QTest::mouseClick(field(0, 0, 1, 0), Qt::RightButton);
    EXPECT_TRUE(m.valueMenu()->isVisible());
    m.valueMenu()->hide();
    choose(m.valueMenu(), "clear_value");
    EXPECT_EQ(field(0, 0, 1, 0)->text(), QString());
    EXPECT_FALSE(drawnLook(button));

    // A tag that names no field is reported, and the editor stays open.
    m.formState().menuTag = QStringLiteral("000:007:000:000");
    choose(m.valueMenu(), "copy_value");
    EXPECT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes().back().text, QStringLiteral("Error 0 : 9 (Subscript out of range) in <copy_value>     "));
    EXPECT_TRUE(m.isVisible());
}
