// The commands on many fields or one value: Clear of the frame and slot shown, Clear of every
// configuration, Load defaults, and the value menu's copy, paste and clear.

#include "editing_fixture.h"

#include "editor/colours.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace tavik;

namespace {

CPItem serialItem(const QString &tag)
{
    CPItem item = plainItem(tag);
    item.type = QStringLiteral("systemRead");
    CPOption next;
    next.values[0] = QStringLiteral("nextSerialNumber");
    item.options.push_back(next);
    item.defaultValue.clear();
    return item;
}

CPItem listField(const QString &tag, const QStringList &entries, int16_t defaultEntry = 0)
{
    CPItem item = plainItem(tag);
    item.type = QStringLiteral("list");
    item.defaultValue = entries.value(defaultEntry);
    for (const QString &entry : entries) {
        CPOption option;
        option.values[0] = entry;
        item.options.push_back(option);
    }
    return item;
}

void struckThrough(QWidget *button)
{
    QFont font = button->font();
    font.setStrikeOut(true);
    button->setFont(font);
    button->setToolTip(QStringLiteral("Right click for more options"));
}

} // namespace

class CommandsTest : public EditingFixture {
protected:
    // Frame 0: a text, a serial number and a list field; frame 1: a text field. Two
    // configurations, every field filled in every slot.
    M &openFilled()
    {
        openPart("Part1.SLDPRT", {"Default", "Long"});
        addGroup(state, 0, "Main", {plainItem("Name"), serialItem("Serial"), listField("Grade", {"A", "B"})});
        addGroup(state, 1, "Buy", {plainItem("Vendor")});
        state.useConfigs = true;
        M &m = open();
        for (int c = 0; c < 3; ++c) {
            field<FieldTextBox>(0, 0, 0, c)->setText(QStringLiteral("name%1").arg(c));
            field<FieldTextBox>(0, 0, 1, c)->setText(QStringLiteral("S-%1").arg(c));
            struckThrough(getNext(c));
            field<MultiColumnComboBox>(0, 0, 2, c)->setListIndex(1);
            field<FieldTextBox>(1, 0, 0, c)->setText(QStringLiteral("vendor%1").arg(c));
        }
        return m;
    }

    QWidget *getNext(int c) { return qobject_cast<QWidget *>(item(0, 0, 1).unitsControls.at(size_t(c))); }

    static bool plainLook(QWidget *button) { return !button->font().strikeOut() && button->toolTip().isEmpty(); }
};

TEST_F(CommandsTest, ClearEmptiesTheFrameAndSlotShownOnly)
{
    M &m = openFilled();
    ASSERT_NE(qobject_cast<QPushButton *>(getNext(0)), nullptr);

    m.Clear()->click();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(field<FieldTextBox>(0, 0, 0, 0)->text(), "");
    EXPECT_EQ(field<FieldTextBox>(0, 0, 1, 0)->text(), "");
    EXPECT_TRUE(plainLook(getNext(0)));
    // Not taken for a person's edit: the list stays without a choice.
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 2, 0)->listIndex(), -1);
    for (int c = 1; c < 3; ++c) {
        EXPECT_EQ(field<FieldTextBox>(0, 0, 0, c)->text(), QStringLiteral("name%1").arg(c));
        EXPECT_FALSE(plainLook(getNext(c)));
        EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 2, c)->listIndex(), 1);
    }
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(field<FieldTextBox>(1, 0, 0, c)->text(), QStringLiteral("vendor%1").arg(c));

    m.configsList()->setCurrentRow(2);
    m.Clear()->click();
    EXPECT_EQ(field<FieldTextBox>(0, 0, 0, 2)->text(), "");
    EXPECT_EQ(field<FieldTextBox>(0, 0, 0, 1)->text(), "name1");
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CommandsTest, ClearMenuClearsEveryConfigurationAndFrame)
{
    M &m = openFilled();
    auto *label = qobject_cast<QLabel *>(item(1, 0, 0).labelControls[1]);
    colours::setForeColor(label, colours::Incomplete);

    QTest::mousePress(m.Clear(), Qt::RightButton);
    EXPECT_TRUE(m.clearCPmenu()->isVisible());
    m.clearCPmenu()->hide();
    m.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));

    // The entry for the current configuration has no command of its own.
    entry(m.clearCPmenu(), "clearConfCPValues")->trigger();
    EXPECT_EQ(field<FieldTextBox>(0, 0, 0, 0)->text(), "name0");

    entry(m.clearCPmenu(), "clearAllCPValues")->trigger();
    EXPECT_TRUE(state.runOk);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(field<FieldTextBox>(0, 0, 0, c)->text(), "") << c;
        EXPECT_EQ(field<FieldTextBox>(1, 0, 0, c)->text(), "") << c;
        EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 2, c)->listIndex(), -1) << c;
        EXPECT_TRUE(plainLook(getNext(c))) << c;
    }
    EXPECT_EQ(colours::foreColor(label), colours::toColor(colours::ButtonText));
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), m.Clear());
}

TEST_F(CommandsTest, LoadDefaultsFillsOnlyEmptyFields)
{
    openPart("Part1.SLDPRT", {});
    auto target = listField("Material", {"Steel", "Brass", "Alu"});
    target.isListTarget = true;
    target.listRef = {0, 0, 0};
    std::vector<CPItem> items{plainItem("Kept"), plainItem("Empty"), listField("Finish", {"Paint", "Zinc"}, 1),
                              listField("Odd", {"x", "y"}), target};
    items[3].defaultValue = QStringLiteral("not an entry");
    for (const char *name : {"SteelGrade", "BrassGrade", "AluGrade"}) {
        auto member = plainItem(QLatin1String(name));
        member.inList = true;
        member.listRef = {0, 0, 0};
        items.push_back(member);
    }
    Group &group = addGroup(state, 0, "Main", items);
    CPList list;
    list.linked = true;
    list.target = {0, 0, 4};
    list.members = {{0, 0, 5}, {0, 0, 6}, {0, 0, 7}};
    group.lists.push_back(list);
    M &m = open();

    type(field(0, 0, 0, 0), "mine");
    field<FieldTextBox>(0, 0, 1, 0)->clear();
    field<MultiColumnComboBox>(0, 0, 2, 0)->setListIndex(-1);
    field<MultiColumnComboBox>(0, 0, 3, 0)->setListIndex(-1);
    // The member chosen last is the one the defaults bring back.
    auto *material = field<MultiColumnComboBox>(0, 0, 4, 0);
    material->setListIndex(2);
    m.Clear()->click();
    type(field(0, 0, 0, 0), "mine");
    ASSERT_EQ(material->listIndex(), -1);

    m.Defaults()->click();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(field<FieldTextBox>(0, 0, 0, 0)->text(), "mine");
    EXPECT_EQ(field<FieldTextBox>(0, 0, 1, 0)->text(), "Empty-default");
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 2, 0)->value(), "Zinc");
    EXPECT_EQ(field<MultiColumnComboBox>(0, 0, 3, 0)->listIndex(), 0);
    EXPECT_EQ(material->listIndex(), 2);
    EXPECT_TRUE(field(0, 0, 7, 0)->isVisibleTo(&m));
    EXPECT_FALSE(field(0, 0, 5, 0)->isVisibleTo(&m));
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), m.Defaults());
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(CommandsTest, ValueMenuCopiesPastesAndClearsOneField)
{
    openPart("Part1.SLDPRT", {});
    auto caps = plainItem("Caps");
    caps.allCaps = true;
    addGroup(state, 0, "Main", {plainItem("Source"), caps, serialItem("Serial")});
    M &m = open();
    type(field(0, 0, 0, 0), "Mixed case");

    rightClick(field(0, 0, 0, 0));
    entry(m.valueMenu(), "copy_value")->trigger();
    EXPECT_EQ(prompts.clipboardText(), "Mixed case");

    rightClick(field(0, 0, 1, 0));
    entry(m.valueMenu(), "paste_value")->trigger();
    EXPECT_EQ(field<FieldTextBox>(0, 0, 1, 0)->text(), "MIXED CASE");

    auto *serial = field<FieldTextBox>(0, 0, 2, 0);
    serial->setText(QStringLiteral("S-7"));
    auto *button = qobject_cast<QWidget *>(item(0, 0, 2).unitsControls[0]);
    struckThrough(button);
    rightClick(serial);
    entry(m.valueMenu(), "clear_value")->trigger();
    EXPECT_EQ(serial->text(), "");
    EXPECT_TRUE(!button->font().strikeOut() && button->toolTip().isEmpty());

    // A menu tag that names no field is reported, and the editor stays open.
    m.formState().menuTag = QStringLiteral("000:007:000:000");
    entry(m.valueMenu(), "paste_value")->trigger();
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].text, "Error 0 : 9 (Subscript out of range) in <paste_value>     ");
    EXPECT_TRUE(m.isVisible());
}
