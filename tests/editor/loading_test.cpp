// Loading the document's values when the editor opens on a document that carries the attribute:
// slots by location, settings from the attribute, lists, serial-number fields, system values and
// a failing host call.

#include "editor_fixture.h"

#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

using namespace tavik;

class LoadingTest : public EditorFixture {
protected:
    // A part with the configurations Default and Long; the attribute stores useConfigs, frame 0.
    std::shared_ptr<HostDocument> part(double useConfigs) { return openPart("Part1.SLDPRT", {"Default", "Long"}, useConfigs, 0); }

    static void put(HostDocument &doc, const QString &configuration, const QString &name, const QString &value)
    {
        doc.AddCustomInfo3(configuration, name, 30, value);
    }

    // "configuration/name" of every CustomInfo2 asked.
    QStringList propertiesRead()
    {
        QStringList read;
        for (const auto &call : app->calls()->callsOf("CustomInfo2"))
            read << call.args.join('/');
        return read;
    }
};

TEST_F(LoadingTest, SlotsFollowLocationAndUseConfigs)
{
    auto doc = part(1);
    for (const char *level : {"", "Default", "Long"})
        for (const char *name : {"doc", "conf", "both", "other"})
            put(*doc, level, name, QStringLiteral("%1@%2").arg(name, *level ? level : "part"));
    addGroup(state, 0, "G", {plainItem("doc", OnlyDocument), plainItem("conf", OnlyConfigurations),
                             plainItem("both", DocumentAndConfigurations)});
    addGroup(state, 1, "H", {plainItem("other")});
    M &m = load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();

    EXPECT_EQ(text(0, 0, 0, 0), "doc@part");
    EXPECT_EQ(text(0, 0, 1, 1), "conf@Default");
    EXPECT_EQ(text(0, 0, 1, 2), "conf@Long");
    EXPECT_EQ(text(0, 0, 2, 0), "both@part");
    EXPECT_EQ(text(0, 0, 2, 2), "both@Long");
    EXPECT_EQ(text(1, 0, 0, 0), "other-default") << "frames not shown are not read";
    EXPECT_FALSE(propertiesRead().contains("Default/doc"));
    EXPECT_FALSE(propertiesRead().contains("/conf"));
    EXPECT_TRUE(m.useConfigs()->isChecked());
    EXPECT_TRUE(m.configsList()->isEnabled());
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(LoadingTest, StoredUseConfigsOffReadsTheDocumentOnly)
{
    auto doc = part(0);
    put(*doc, "", "both", "part value");
    put(*doc, "Long", "both", "long value");
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

TEST_F(LoadingTest, ListsSerialNumbersAndSystemValues)
{
    auto doc = part(1);
    put(*doc, "", "finish", "Painted");          // not an entry
    put(*doc, "Default", "finish", "Anodised");
    put(*doc, "", "serial", "S-0042");
    put(*doc, "", "size", "M8");                  // ignored: a system value
    put(*doc, "", "kind", "Tube");
    put(*doc, "", "tubeSize", "20x2");
    put(*doc, "Default", "barSize", "d12");       // the target is not stored for Default
    put(*doc, "Long", "kind", "Bar");
    put(*doc, "Long", "barSize", "d16");

    CPItem finish = plainItem("finish");
    finish.type = "list";
    for (const char *entry : {"Anodised", "Raw"})
        finish.options.push_back(CPOption{{entry, "", ""}, 0});
    CPItem size = plainItem("size");
    size.type = "systemRead";
    size.defaultValue = "system size";
    CPItem kind = plainItem("kind");
    kind.type = "list";
    kind.isListTarget = true;
    kind.sourceList = CPRef{0, 0, 0};
    kind.options = {CPOption{{"Bar", "", ""}, 0}, CPOption{{"Tube", "", ""}, 0}};
    kind.defaultValue = "Bar";
    std::vector<CPItem> items{finish, serialItem("serial"), size, kind};
    for (const char *tag : {"barSize", "tubeSize"}) {
        CPItem member = plainItem(tag);
        member.inList = true;
        member.listRef = CPRef{0, 0, 0};
        items.push_back(member);
    }
    Group &group = addGroup(state, 0, "G", std::move(items));
    group.lists.push_back(CPList{});
    group.lists[0].linked = true;
    group.lists[0].members = {CPRef{0, 0, 4}, CPRef{0, 0, 5}};
    load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();

    auto *finishBox = qobject_cast<MultiColumnComboBox *>(item(0, 0, 0).valueControls[0]);
    EXPECT_EQ(finishBox->listIndex(), -1);
    EXPECT_EQ(finishBox->value(), "Painted") << "a stored text that is no entry stays as the text";
    EXPECT_EQ(text(0, 0, 0, 1), "Anodised");

    auto *numbered = qobject_cast<QPushButton *>(item(0, 0, 1).unitsControls[0]);
    auto *empty = qobject_cast<QPushButton *>(item(0, 0, 1).unitsControls[1]);
    EXPECT_EQ(text(0, 0, 1, 0), "S-0042");
    EXPECT_TRUE(numbered->font().strikeOut());
    EXPECT_EQ(numbered->toolTip(), "Right click for more options");
    EXPECT_FALSE(empty->font().strikeOut());
    EXPECT_EQ(empty->toolTip(), "");

    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(text(0, 0, 2, c), "system size");
    EXPECT_FALSE(propertiesRead().contains("/size"));

    // Document: the stored choice picks the member read. Default: no stored choice, so the
    // first member holds the place and keeps its stored value. Long: the bar member.
    auto selector = [&](int c) { return qobject_cast<MultiColumnComboBox *>(item(0, 0, 4).labelControls[size_t(c)]); };
    EXPECT_EQ(selector(0)->listIndex(), 1);
    EXPECT_EQ(text(0, 0, 5, 0), "20x2");
    EXPECT_EQ(selector(1)->listIndex(), -1);
    EXPECT_EQ(text(0, 0, 4, 1), "d12");
    EXPECT_EQ(selector(2)->listIndex(), 0);
    EXPECT_EQ(text(0, 0, 4, 2), "d16");
    EXPECT_FALSE(propertiesRead().contains("Long/tubeSize"));
}

TEST_F(LoadingTest, StoredFrameBeyondTheConfigurationOpensTheFirst)
{
    auto doc = openPart("Part1.SLDPRT", {}, 1, 5);
    put(*doc, "", "a", "stored");
    addGroup(state, 0, "G", {plainItem("a")});
    addGroup(state, 1, "H", {plainItem("b")});
    M &m = load();
    EXPECT_TRUE(state.runOk);
    EXPECT_EQ(text(0, 0, 0, 0), "stored");
    EXPECT_EQ(m.frameSelect()->listIndex(), 0);
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(LoadingTest, FailingHostCallStopsTheLoadWithCPLoad)
{
    auto doc = part(1);
    put(*doc, "", "a", "first");
    put(*doc, "", "b", "second");
    addGroup(state, 0, "G", {plainItem("a"), plainItem("b")});
    state.useConfigs = false;
    app->calls()->failCall("CustomInfo2", 2, 440, "Automation error");
    M &m = load();

    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].title, "Tavik: Error");
    EXPECT_EQ(prompts.boxes()[0].text, "Error 0 : 440 (Automation error) in <CP Load>     ");
    EXPECT_EQ(prompts.boxes()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(state.currentProc, "CP Load");
    EXPECT_EQ(text(0, 0, 0, 0), "first");
    EXPECT_EQ(text(0, 0, 1, 0), "b-default");
    EXPECT_EQ(text(0, 0, 1, 1), "b-default");
    // The settings were not shown: the box still holds the configuration file's setting.
    EXPECT_FALSE(m.useConfigs()->isChecked());
}
