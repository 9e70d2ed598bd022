// Done, Purge and Quit against the bundled host: which properties end up in the document and its
// configurations, the order of the host calls where it matters, and what a failure leaves.

#include "editor_fixture.h"

#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>

using namespace tavik;

class SavingTest : public EditorFixture {
protected:
    void set(int g, int i, int c, const QString &text) { setFieldValue(item(0, g, i).valueControls[size_t(c)], text); }

    // Properties of a level as "name=value", in the host's order.
    QStringList props(const QString &configuration)
    {
        QStringList out;
        for (const auto &[name, value] : *document->data().level(configuration))
            out << name + QLatin1Char('=') + value;
        return out;
    }

    void give(const QString &configuration, const QStringList &properties)
    {
        for (const QString &p : properties)
            document->AddCustomInfo3(configuration, p.section('=', 0, 0), 30, p.section('=', 1));
    }

    double parameter(const QString &name)
    {
        for (const auto &[n, v] : document->attribute(QStringLiteral("TavikAttribute"))->parameters)
            if (n == name)
                return v;
        return -1;
    }

    bool editorClosed() const { return state.frames.size() == 1 && state.frames[0].groups.empty(); }

    // Frame 0: a (document and configurations), b (configurations only), d (document only) and
    // e (both, left empty); frame 1: x. The document holds older values and unnamed properties.
    M &openLocations()
    {
        document = openPart("Part1.SLDPRT", {"Default", "Long"});
        give("", {"Unnamed=keep", "a=old", "x=other frame"});
        give("Default", {"b=old", "Unnamed=keep too"});
        give("Long", {"x=other frame"});
        addGroup(state, 0, "G",
            {plainItem("a"), plainItem("b", OnlyConfigurations), plainItem("d", OnlyDocument), plainItem("e")});
        addGroup(state, 1, "H", {plainItem("x")});
        state.useConfigs = true;
        M &m = load();
        set(0, 2, 0, "D0");
        for (int c = 0; c < 3; ++c) {
            set(0, 0, c, QStringLiteral("A%1").arg(c));
            if (c > 0)
                set(0, 1, c, QStringLiteral("B%1").arg(c));
            set(0, 3, c, "");
        }
        return m;
    }

    std::shared_ptr<HostDocument> document;
};

TEST_F(SavingTest, LocationDecidesWhereEachFieldIsWritten)
{
    M &m = openLocations();
    m.done()->click();

    EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
    EXPECT_TRUE(prompts.boxes().empty() && editorClosed() && m.result() == QDialog::Accepted);
    // Unnamed properties stay; those of the other frame go; an empty field is an empty text.
    EXPECT_EQ(props(""), QStringList({"Unnamed=keep", "a=A0", "d=D0", "e="}));
    EXPECT_EQ(props("Default"), QStringList({"Unnamed=keep too", "a=A1", "b=B1", "e="}));
    EXPECT_EQ(props("Long"), QStringList({"a=A2", "b=B2", "e="}));
    EXPECT_TRUE(parameter("USE_CONFIGS") == 1.0 && parameter("USE_FRAME") == 0.0);
    EXPECT_TRUE(document->isChanged());
}

TEST_F(SavingTest, ClearedUseConfigsWritesTheDocumentOnly)
{
    M &m = openLocations();
    m.useConfigs()->setChecked(false);
    m.done()->click();

    EXPECT_EQ(props(""), QStringList({"Unnamed=keep", "a=A0", "d=D0", "e="}));
    EXPECT_EQ(props("Default"), QStringList({"Unnamed=keep too"}));
    EXPECT_TRUE(props("Long").isEmpty());
    EXPECT_EQ(parameter("USE_CONFIGS"), 0.0);
}

TEST_F(SavingTest, AListWritesTheMemberItsSelectorShows)
{
    document = openPart("Part1.SLDPRT", {"Default", "Long"});
    give("", {"m0=x", "m2=y"});
    give("Default", {"m1=z"});
    makeList(
        addGroup(state, 0, "G", {plainItem("m0"), plainItem("m1"), plainItem("m2"), plainItem("after")}), {0, 1, 2});
    state.useConfigs = true;
    M &m = load();
    ASSERT_TRUE(state.runOk) << state.errorMessage.toStdString();

    const auto selector = [&](int c) { return comboOf(item(0, 0, 0).labelControls[size_t(c)]); };
    selector(0)->setListIndex(1);
    selector(1)->setListIndex(2);
    // No selection: the first member holds the row's place, and its text is kept.
    selector(2)->setListIndex(-1);
    set(0, 1, 0, "one");
    set(0, 2, 1, "two");
    set(0, 0, 2, "zero");
    m.done()->click();

    EXPECT_EQ(props(""), QStringList({"m1=one", "after=after-default"}));
    EXPECT_EQ(props("Default"), QStringList({"m2=two", "after=after-default"}));
    EXPECT_EQ(props("Long"), QStringList({"m0=zero", "after=after-default"}));
}

TEST_F(SavingTest, SystemWritesComeBeforeTheItemsPropertyAndAFailureOnlyWarns)
{
    document = openPart("Part1.SLDPRT", {});
    CPItem name = plainItem("Name");
    name.systemWriteValue = "filename";
    CPItem density = plainItem("Density");
    density.systemWriteValue = "density";
    addGroup(state, 0, "G", {name, density, plainItem("After")});
    M &m = load();
    set(0, 0, 0, "A100");
    set(0, 1, 0, "heavy");
    app->calls()->clearLog();
    m.done()->click();

    EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
    EXPECT_EQ(document->path(), QFileInfo(dir.filePath("A100.sldprt")).absoluteFilePath());
    QStringList order;
    for (const auto &call : app->calls()->calls())
        if (call.member == "SaveAs2" || call.member == "AddCustomInfo3")
            order << call.member + QLatin1Char(' ') + call.args.value(call.member == "SaveAs2" ? 0 : 1);
    EXPECT_EQ(order,
        QStringList({"SaveAs2 A100.sldprt", "AddCustomInfo3 Name", "AddCustomInfo3 Density", "AddCustomInfo3 After"}));

    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].title, "Tavik: System Write Warning");
    EXPECT_EQ(prompts.boxes()[0].text, "Could not set [density]      ");
    EXPECT_EQ(props(""), QStringList({"Name=A100", "Density=heavy", "After=After-default"}));
    // The file under the new name was written before the properties came back: the document
    // counts as changed since.
    EXPECT_TRUE(document->isChanged());
}

TEST_F(SavingTest, LongValuesComeBackWhole)
{
    // Longer than a line edit holds by default, and ending in a mark a cut would lose.
    const QString value = QString(40000, QLatin1Char('x')) + QStringLiteral("END");
    document = openPart("Part1.SLDPRT", {}, 0, 0);
    give("", {"a=" + value, "l=" + value});
    addGroup(state, 0, "G", {plainItem("a"), listItem("l", {"one", "two"}, "one")});
    M &m = load();
    m.done()->click();

    EXPECT_TRUE(state.runOk) << state.errorMessage.toStdString();
    EXPECT_EQ(props(""), QStringList({"a=" + value, "l=" + value}));
}

TEST_F(SavingTest, PurgeThenQuitLeavesOnlyUnnamedProperties)
{
    document = openPart("Part1.SLDPRT", {"Default"});
    give("", {"a=1", "x=2", "Unnamed=keep"});
    give("Default", {"a=3", "Also unnamed=keep"});
    addGroup(state, 0, "G", {plainItem("a", OnlyDocument)});
    addGroup(state, 1, "H", {plainItem("x", OnlyConfigurations)});
    M &m = load();
    set(0, 0, 0, "typed");

    m.Purge()->click();
    EXPECT_TRUE(state.runOk);
    EXPECT_TRUE(prompts.boxes().empty());
    EXPECT_EQ(fieldValue(item(0, 0, 0).valueControls[0]), "typed");
    EXPECT_EQ(props(""), QStringList({"Unnamed=keep"}));
    EXPECT_EQ(props("Default"), QStringList({"Also unnamed=keep"}));

    // Quit writes nothing back, and the attribute gets its follow-up call.
    m.Quit()->click();
    EXPECT_TRUE(editorClosed());
    EXPECT_EQ(props(""), QStringList({"Unnamed=keep"}));
    ASSERT_EQ(app->calls()->callsOf("AfterPurge").size(), 1);
    EXPECT_EQ(app->calls()->callsOf("AfterPurge")[0].args, QStringList({"0"}));
}

TEST_F(SavingTest, AFailureKeepsTheEditorOpenSoThatDoneCanBeRepeated)
{
    document = openPart("Part1.SLDPRT", {});
    give("", {"a=before"});
    addGroup(state, 0, "G", {plainItem("a"), plainItem("b"), plainItem("b")});
    M &m = load();
    set(0, 0, 0, "A");
    set(0, 1, 0, "B");
    set(0, 2, 0, "B'");
    const auto lastBox = [&] { return prompts.boxes().empty() ? QString() : prompts.boxes().back().text; };
    const QString saveFailure = "in <Save CP>     \r\nCould not save CP values. Exiting ";

    // Purge fails: reported under its own name; nothing deleted or written.
    app->calls()->failCall("DeleteCustomInfo2", 1, 440, "Host busy");
    m.done()->click();
    EXPECT_TRUE(lastBox().endsWith(": 440 (Host busy) in <Purge CP>     "));
    EXPECT_EQ(props(""), QStringList({"a=before"}));

    // The second property fails: the first stays written, the fields and the window stay.
    app->calls()->failCall("AddCustomInfo3", 2, 440, "Host refused");
    m.done()->click();
    EXPECT_EQ(lastBox(), "Error  440 (Host refused) " + saveFailure + " 1");
    EXPECT_FALSE(state.runOk || editorClosed());
    EXPECT_EQ(props(""), QStringList({"a=A"}));
    EXPECT_EQ(fieldValue(item(0, 0, 1).valueControls[0]), "B");

    // Two items of one name with different texts: the host keeps the first, which is an error.
    m.done()->click();
    EXPECT_EQ(lastBox(), "Error  440 (the host did not add the property b to the document) " + saveFailure + " 1");

    // The attribute refuses its setting: every property is in, the editor still open.
    set(0, 2, 0, "B");
    app->calls()->failCall("SetDoubleValue", 1, 440, "Attribute locked");
    m.done()->click();
    EXPECT_TRUE(lastBox().endsWith(saveFailure + " 3"));
    EXPECT_EQ(props(""), QStringList({"a=A", "b=B"}));
    EXPECT_FALSE(editorClosed());

    const size_t boxes = prompts.boxes().size();
    m.done()->click();
    EXPECT_EQ(prompts.boxes().size(), boxes);
    EXPECT_TRUE(state.runOk && editorClosed());
}
