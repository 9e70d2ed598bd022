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

TEST_F(LoadingTest, SerialNumbersAndLinkedListsWithoutAStoredChoice)
{
    auto doc = part(1);
    put(*doc, "", "serial", "S-0042");
    put(*doc, "", "kind", "Tube");
    put(*doc, "", "tubeSize", "20x2");
    put(*doc, "Default", "barSize", "d12");       // the target is not stored for Default
    CPItem kind = listItem("kind", {"Bar", "Tube"}, "Bar");
    kind.isListTarget = true;
    kind.sourceList = CPRef{0, 0, 0};
    makeList(addGroup(state, 0, "G", {serialItem("serial"), kind, plainItem("barSize"), plainItem("tubeSize")}), {2, 3})
        .linked = true;
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
