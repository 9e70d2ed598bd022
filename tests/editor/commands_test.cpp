// The commands on many fields or one value: Clear of the frame and slot shown, Load defaults,
// and the value menu.

#include "editing_fixture.h"

#include "editor/get_next_look.h"

#include <QListWidget>
#include <QPushButton>

using namespace tavik;

namespace {

bool drawnLook(QWidget *button)
{
    return button->font().strikeOut() || !button->toolTip().isEmpty();
}

} // namespace

class CommandsTest : public EditingFixture {};

TEST_F(CommandsTest, ClearEmptiesTheFrameAndSlotShownOnly)
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

TEST_F(CommandsTest, LoadDefaultsFillsOnlyEmptyFields)
{
    openPart("Part1.SLDPRT", {});
    auto target = listItem("Material", {"Steel", "Brass", "Alu"}, "Steel");
    target.isListTarget = true;
    target.sourceList = {0, 0, 0};
    std::vector<CPItem> items{plainItem("Kept"), plainItem("Empty"), listItem("Finish", {"Paint", "Zinc"}, "Zinc"),
                              listItem("Odd", {"x", "y"}, "not an entry"), target};
    for (const char *name : {"SteelGrade", "BrassGrade", "AluGrade"}) {
        items.push_back(plainItem(QLatin1String(name)));
        items.back().inList = true;
        items.back().listRef = {0, 0, 0};
    }
    Group &group = addGroup(state, 0, "Main", items);
    CPList list;
    list.linked = true;
    list.target = {0, 0, 4};
    list.members = {{0, 0, 5}, {0, 0, 6}, {0, 0, 7}};
    group.lists.push_back(list);
    M &m = open();

    // The member chosen last is the one the defaults bring back after a Clear.
    auto *material = field<MultiColumnComboBox>(0, 0, 4, 0);
    material->setListIndex(2);
    m.Clear()->click();
    type(field(0, 0, 0, 0), "mine");

    m.Defaults()->click();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(field(0, 0, 0, 0)->text(), QStringLiteral("mine"));
    EXPECT_EQ(field(0, 0, 1, 0)->text(), QStringLiteral("Empty-default"));
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 2, 0)->value(), QStringLiteral("Zinc"));
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 3, 0)->listIndex(), 0);
    EXPECT_EQ(material->listIndex(), 2);
    EXPECT_TRUE(field(0, 0, 7, 0)->isVisibleTo(&m));
    EXPECT_FALSE(field(0, 0, 5, 0)->isVisibleTo(&m));
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CommandsTest, ValueMenuActsOnTheFieldItWasOpenedOn)
{
    openPart("Part1.SLDPRT", {});
    auto caps = plainItem("Caps");
    caps.allCaps = true;
    addGroup(state, 0, "Main", {caps, serialItem("Serial")});
    M &m = open();

    QTest::mouseClick(field(0, 0, 0, 0), Qt::RightButton);
    EXPECT_TRUE(m.valueMenu()->isVisible());
    EXPECT_EQ(field(0, 0, 0, 0)->selectedText(), QStringLiteral("Caps-default"));
    m.valueMenu()->hide();
    prompts.setClipboardText(QStringLiteral("pasted text"));
    choose(m.valueMenu(), "paste_value");
    EXPECT_EQ(field(0, 0, 0, 0)->text(), QStringLiteral("PASTED TEXT"));

    auto *button = qobject_cast<QWidget *>(item(0, 0, 1).unitsControls[0]);
    field(0, 0, 1, 0)->setText(QStringLiteral("S-7"));
    showNumberDrawn(button, true);
    QTest::mouseClick(field(0, 0, 1, 0), Qt::RightButton);
    m.valueMenu()->hide();
    choose(m.valueMenu(), "clear_value");
    EXPECT_EQ(field(0, 0, 1, 0)->text(), QString());
    EXPECT_FALSE(drawnLook(button));

    // A tag that names no field is reported, and the editor stays open.
    m.formState().menuTag = QStringLiteral("000:007:000:000");
    choose(m.valueMenu(), "copy_value");
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].text, QStringLiteral("Error 0 : 9 (Subscript out of range) in <copy_value>     "));
    EXPECT_TRUE(m.isVisible());
}
