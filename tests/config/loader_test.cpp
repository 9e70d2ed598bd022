#include "config/loader.h"
#include "config/model_json.h"
#include "platform/xml_schema_cache.h"
#include "scratch_base.h"

#include <QStringList>
#include <gmock/gmock.h>

using namespace tavik;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace {

const QString WalkMessage = QStringLiteral("Unknown error in parsing of Schema or XML files...\r\nExiting");
const QByteArray SchemaStart = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                               "targetNamespace=\"urn:tavik:test\">\n";

// An add-in folder in $TAVIK_TEST_TMP (kept when the test fails) with the test schema in it.
class Loader : public ScratchTest {
protected:
    Loader()
        : ScratchTest(QStringLiteral("loader"))
    {
    }

    void writeSchema()
    {
        write("Tavik.xsd", readFile(QStringLiteral(TAVIK_SOURCE_DIR "/tests/config/fixtures/loader.xsd")));
    }

    // The test schema, and a configuration whose document element holds body.
    void configure(const QByteArray &body)
    {
        writeSchema();
        write("Tavik.xml", "<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:test\">\n" + body + "\n</Tavik>\n");
    }

    bool load()
    {
        state.addinFolder = dir.path();
        return loadConfiguration(state, [this](const QString &name) {
            reads << name;
            state.loadStage = 3; // the system read service leaves its own step behind
            return QStringLiteral("value of ") + name;
        });
    }

    void loadBody(const QByteArray &body)
    {
        configure(body);
        ASSERT_TRUE(load()) << state.errorMessage.toStdString();
        EXPECT_EQ(state.loadStage, 0);
    }

    // The frame of a configuration that holds one group with the given children.
    const Frame &loadGroup(const QByteArray &children)
    {
        loadBody("<frame name=\"F\"><group name=\"G\">" + children + "</group></frame>");
        return state.frames.at(0);
    }

    const CPItem &loadItem(const QByteArray &item) { return loadGroup(item).groups.at(0).items.at(0); }

    SharedState state;
    QStringList reads;
};

QByteArray items(int count, const char *prefix = "I")
{
    QByteArray xml;
    for (int i = 0; i < count; ++i)
        xml += "<item CPTag=\"" + QByteArray(prefix) + QByteArray::number(i) + "\"/>";
    return xml;
}

QStringList groupNames(const Frame &frame)
{
    QStringList names;
    for (const Group &g : frame.groups)
        names << g.name;
    return names;
}

} // namespace

TEST_F(Loader, FailuresGiveTheStageTitleLineAndReason)
{
    const auto fails = [&](int stage, const char *title, const char *message) {
        EXPECT_FALSE(load());
        EXPECT_EQ(state.loadStage, stage) << message;
        EXPECT_EQ(state.errorTitle, title) << message;
        EXPECT_THAT(state.errorMessage.toStdString(), MatchesRegex(message));
    };
    // The schema is looked for first.
    fails(1, "File not found", "Tavik.xsd could not be found...\r\nExit on error");
    writeSchema();
    fails(2, "File not found", "Tavik.xml could not be found...\r\nExit on error");

    configure("");
    write("Tavik.xsd",
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n"
        "<xs:element name=\"Tavik\"/>\n</xs:schema>\n");
    fails(3, "XSD parse error", "Error in Tavik.xsd file near line  0\r\nExit on error");
    write("Tavik.xsd", SchemaStart + "\n<xs:element name=\"Tavik\">\n</xs:schema>\n");
    fails(3, "XSD parse error", "Error in Tavik.xsd file near line  4\r\n[^\r\n]*mismatch[^\r\n]*\r\nExit on error");
    // Well formed, but not a schema that compiles: the line of the offending declaration.
    write("Tavik.xsd", SchemaStart + "\n<xs:element name=\"Tavik\" type=\"xs:nothing\"/>\n</xs:schema>\n");
    fails(3, "XSD parse error", "Error in Tavik.xsd file near line  3\r\n[^\r\n]*nothing[^\r\n]*\r\nExit on error");

    // The configuration: the parser's line, the validator's, and a namespace the schema does
    // not describe.
    configure("<frame name=\"F\">\n<group name=\"G\">\n</frame>");
    fails(4, "XML parse error", "Error in Tavik.xml file near line  5\r\n[^\r\n]*mismatch[^\r\n]*\r\nExit on error");
    configure("<frame name=\"F\">\n<group name=\"G\">\n<bogus/>\n</group></frame>");
    fails(4, "XML parse error", "Error in Tavik.xml file near line  5\r\n[^\r\n]*bogus[^\r\n]*\r\nExit on error");
    write("Tavik.xml", "<Tavik xmlns=\"urn:other\"/>");
    fails(4, "XML parse error", "Error in Tavik.xml file near line  1\r\n[^\r\n]*urn:other[^\r\n]*\r\nExit on error");
}

TEST_F(Loader, WalkFailuresEndWithTheUnknownErrorMessage)
{
    const QByteArray inGroup = "<frame name=\"F\"><group name=\"G\">";
    const QByteArray broken[] = {
        "<frame/>",
        "<frame name=\"F\"><group/></frame>",
        inGroup + "<?pi x?><item CPTag=\"A\"/></group></frame>",
        inGroup + "<item CPTag=\"A\"><!-- c --></item></group></frame>",
        inGroup + "<item CPTag=\"A\"><option/></item></group></frame>",
        inGroup + "<item CPTag=\"A\"><option>   </option></item></group></frame>",
        inGroup + "<item CPTag=\"A\" allCaps=\"maybe\"/></group></frame>",
        inGroup + "<item CPTag=\"A\" length=\"32767.5\"/></group></frame>",
        inGroup + "<item CPTag=\"A\" incVal=\"2147483648\"/></group></frame>",
        inGroup + "<custPropList defaultIndex=\"first\"><item CPTag=\"A\"/></custPropList></group></frame>",
        "<settings defaultFrame=\"x\"/>",
        // A pattern that is not one cannot judge a default.
        inGroup + "<item CPTag=\"A\" prototype=\"[A-\"><option>A</option></item></group></frame>",
    };
    for (const QByteArray &body : broken) {
        configure(body);
        state = SharedState();
        EXPECT_FALSE(load()) << body.constData();
        EXPECT_EQ(state.loadStage, 0) << body.constData();
        EXPECT_EQ(state.errorTitle + '|' + state.errorMessage, "Fatal error|" + WalkMessage) << body.constData();
    }

    // Outside the frames anything that is not settings or a frame is passed over.
    loadBody("<!-- notes --><?pi x?><note>text</note><frame name=\"F\"/>");
    EXPECT_EQ(state.frames.size(), 1u);
}

TEST_F(Loader, GroupsSplitIntoPagesOfTwelveChildren)
{
    EXPECT_EQ(groupNames(loadGroup(items(12))), QStringList{"G"});

    const Frame &thirteen = loadGroup(items(13));
    EXPECT_EQ(groupNames(thirteen), (QStringList{"G...", "...G"}));
    EXPECT_EQ(thirteen.groups[0].items.size(), 12u);
    ASSERT_EQ(thirteen.groups[1].items.size(), 1u);
    EXPECT_EQ(thirteen.groups[1].items[0].CPTag, "I12");
    EXPECT_EQ(thirteen.groups[1].items[0].ref(), (CPRef{0, 1, 0}));

    EXPECT_EQ(groupNames(loadGroup(items(25))), (QStringList{"G...", "...G...", "...G"}));
    // A list of twenty members is one child: eleven items and the list fill the first page.
    const Frame &withList
        = loadGroup(items(11) + "<custPropList>" + items(20, "M") + "</custPropList>" + items(1, "L"));
    ASSERT_EQ(groupNames(withList), (QStringList{"G...", "...G"}));
    EXPECT_EQ(withList.groups[0].items.size(), 31u);
    EXPECT_EQ(withList.groups[0].lists.at(0).members.size(), 20u);
    EXPECT_EQ(withList.groups[1].items.at(0).CPTag, "L0");
    EXPECT_TRUE(withList.groups[1].lists.empty());

    // Later groups keep counting after the split pages.
    loadBody(
        "<frame name=\"F\"><group name=\"A\">" + items(13) + "</group><tab name=\"B\">" + items(1) + "</tab></frame>");
    EXPECT_EQ(groupNames(state.frames[0]), (QStringList{"A...", "...A", "B"}));
    EXPECT_EQ(state.frames[0].groups[2].items[0].g_idx, 2);
}

TEST_F(Loader, DefaultValueRules)
{
    auto defaultOf = [this](const QByteArray &item) { return loadItem(item).defaultValue; };
    // No option marked: the first one, upper-cased for allCaps without a prototype.
    EXPECT_EQ(
        defaultOf("<item CPTag=\"A\" allCaps=\"true\"><option>steel</option><option>alu</option></item>"), "STEEL");
    // Only the exact text "true" marks a default; the last marked option wins.
    EXPECT_EQ(defaultOf("<item CPTag=\"A\"><option>a</option><option default=\"TRUE\">b</option></item>"), "a");
    EXPECT_EQ(defaultOf("<item CPTag=\"A\"><option default=\"true\">a</option><option>b</option>"
                        "<option default=\"true\">c</option></item>"),
        "c");
    // With a prototype, never upper-cased, and a marked option that does not fit changes nothing.
    EXPECT_EQ(defaultOf("<item CPTag=\"A\" prototype=\"[a-z]*\" allCaps=\"1\"><option>ok</option>"
                        "<option default=\"true\">NO</option></item>"),
        "ok");
    EXPECT_EQ(defaultOf("<item CPTag=\"A\"/>"), "");
    EXPECT_EQ(loadItem("<item CPTag=\"A\" displayName=\"\"/>").displayName, "A");
}

TEST_F(Loader, AttributeAndOptionConversions)
{
    const CPItem &item = loadItem("<item CPTag=\"A\" allCaps=\"TrUe\" visible=\"0\" editable=\"-2.5\" "
                                  "sameForAllConfigs=\"FALSE\" length=\"2.5\" incVal=\"-3.5\" "
                                  "minVal=\"  SN-0001 \" location=\"onlyConfigurations\" unknown=\"x\"/>");
    EXPECT_TRUE(item.allCaps && !item.visible && item.editable && !item.sameForAllConfigs);
    EXPECT_EQ(item.length, 2);
    EXPECT_EQ(item.incVal, -4);
    EXPECT_EQ(item.location, OnlyConfigurations);
    EXPECT_EQ(loadItem("<item CPTag=\"A\" length=\"3.5\"/>").length, 4);
    EXPECT_EQ(loadItem("<item CPTag=\"A\" length=\" 1e2 \"/>").length, 100);
    EXPECT_EQ(loadItem("<item CPTag=\"A\" length=\"-32768\"/>").length, -32768);
    EXPECT_EQ(loadItem("<item CPTag=\"A\" incVal=\"2147483647\"/>").incVal, 2147483647);
    EXPECT_EQ(loadItem("<item CPTag=\"A\" location=\"OnlyDocument\"/>").location, DocumentAndConfigurations);
    EXPECT_TRUE(loadItem("<item CPTag=\"A\" prototype=\"\"/>").hasPrototype);

    // Option values come from the first three child nodes; useValue "y" and "z" pick column 1
    // and 2, anything else (also "Y") column 0.
    const std::vector<CPOption> options = loadItem(
        "<item CPTag=\"A\"><option>plain</option><option useValue=\"y\"><value>S</value> <value>1.4</value></option>"
        "<option useValue=\"z\"><value>a</value><value>b</value><value>c</value><value>d</value></option>"
        "<option useValue=\"Y\"><value><b>bold</b> and <i>more</i></value>tail</option></item>")
                                              .options;
    ASSERT_EQ(options.size(), 4u);
    EXPECT_EQ(options[0].values, (std::array<QString, 3>{"plain", "", ""}));
    EXPECT_EQ(options[1].values, (std::array<QString, 3>{"S", "1.4", ""}));
    EXPECT_EQ(options[2].values, (std::array<QString, 3>{"a", "b", "c"}));
    EXPECT_EQ(options[3].values, (std::array<QString, 3>{"bold and more", "tail", ""}));
    EXPECT_EQ((std::vector<int>{options[0].useValue, options[1].useValue, options[2].useValue, options[3].useValue}),
        (std::vector<int>{0, 1, 2, 0}));
}

TEST_F(Loader, CompositesAndSystemReads)
{
    const Frame &frame = loadGroup(
        "<item CPTag=\"Desc\" type=\"composite\" editable=\"true\">"
        "<option>Name</option><option> - </option><option useValue=\"y\">Mat</option></item>"
        "<item CPTag=\"Date\" type=\"systemRead\" editable=\"true\"><option>systemShortDate</option></item>"
        "<item CPTag=\"Serial\" type=\"systemRead\" allCaps=\"true\"><option><value>nextSerialNumber</value>"
        "<value>Project</value></option></item>"
        "<item CPTag=\"Bare\" type=\"systemRead\"/>"
        "<item CPTag=\"Odd\" type=\"INVALID_INDEX\"><option>x</option></item>"
        "<item CPTag=\"Desc2\" type=\"composite\"><option>Desc</option></item>");
    const Group &g = frame.groups.at(0);
    ASSERT_EQ(frame.composites.size(), 2u);
    const Composite &c = frame.composites[0];
    ASSERT_EQ(c.parts.size(), 3u);
    EXPECT_TRUE(c.owner == (CPRef{0, 0, 0}) && c.parts[1].text == " - " && c.parts[2].useValue == 1);
    EXPECT_TRUE(frame.composites[1].owner == (CPRef{0, 0, 5}) && !g.items[0].editable);

    // Read once, at load, and not for serial numbers or items without options.
    EXPECT_EQ(reads, QStringList{"systemShortDate"});
    EXPECT_EQ(g.items[1].defaultValue, "value of systemShortDate");
    EXPECT_TRUE(g.items[1].sameForAllConfigs && !g.items[1].editable);
    EXPECT_TRUE(g.items[2].isSerialNumber());
    // Option texts that name a part or mark a serial number are no values: both start empty.
    EXPECT_TRUE(
        g.items[0].defaultValue.isEmpty() && g.items[2].defaultValue.isEmpty() && g.items[5].defaultValue.isEmpty());
    EXPECT_EQ(g.items[3].type, "standard");
    // An unknown type, INVALID_INDEX among them, is kept as written and changes nothing.
    EXPECT_TRUE(g.items[4].type == "INVALID_INDEX" && g.items[4].CPTag == "Odd");
}

TEST_F(Loader, SchemaDefaultsCountAsWrittenExceptForLinksWhicheverWayTheFileIsRead)
{
    // Lists appear first in the second frame; the file is streamed a frame at a time.
    const QByteArray body = "<frame name=\"A\"><group name=\"G\"><item CPTag=\"X\" visible=\"0\"/>"
                            "<item CPTag=\"T\" type=\"systemRead\"><option>first</option></item></group></frame>"
                            "<frame name=\"B\"><group name=\"H\"><item CPTag=\"Y\"/>"
                            "<custPropList><item CPTag=\"M\"/></custPropList>"
                            "<custPropList visible=\"false\" linkTo=\"Y\" defaultIndex=\"0\"><item CPTag=\"N\"/>"
                            "</custPropList><item CPTag=\"U\" type=\"systemRead\"><option>second</option></item>"
                            "</group></frame>";
    loadBody(body);
    const Group &h = state.frames.at(1).groups.at(0);
    EXPECT_TRUE(!state.frames[0].groups.at(0).items.at(0).visible && h.items.at(0).visible);
    ASSERT_EQ(h.lists.size(), 2u);
    EXPECT_TRUE(h.lists[0].visible && !h.lists[0].editable && h.lists[0].defaultIndex == 2);
    EXPECT_TRUE(h.lists[0].linkTo.isEmpty());
    EXPECT_TRUE(!h.lists[1].visible && !h.lists[1].editable && h.lists[1].defaultIndex == 0);
    EXPECT_EQ(h.lists[1].linkTo, "Y");
    EXPECT_EQ(reads, QStringList({"first", "second"}));
    EXPECT_EQ(h.items.back().defaultValue, "value of second");

    // An element naming its own type is read whole: the same model.
    const QJsonObject streamed = modelToJson(state);
    state = SharedState();
    loadBody(QByteArray(body).replace("<item CPTag=\"Y\"/>",
        "<item CPTag=\"Y\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:t=\"urn:tavik:test\" "
        "xsi:type=\"t:item\"/>"));
    EXPECT_EQ(modelToJson(state), streamed);
}

TEST_F(Loader, TheEditorsLoadStopsAtTheFrameThatPassesItsLayoutLimits)
{
    // Six label places a frame on the document's page; the lists' members are not counted until
    // they are bound. The rest of the file, broken, is never read.
    const QByteArray frame
        = "<group name=\"G\">" + items(3) + "<custPropList>" + items(9, "M") + "</custPropList></group></frame>";
    configure("<frame name=\"A\">" + frame + "<frame name=\"B\">" + frame + "<frame name=\"C\"><group name=\"G\">"
        + items(3000) + "</group></frame><frame name=\"D\"><group>");
    const auto loadForEditor = [this](int limit) {
        state = SharedState();
        state.addinFolder = dir.path();
        return loadConfigurationForEditor(
            state, [](const QString &) { return QString(); }, limit);
    };
    const QString refusal = QStringLiteral(
        "Error  0 (the form needs at least 12 label places (two per field label) for the document alone, more than "
        "the 11 the editor can make; the limit is passed in frame \"B\", tab \"G\") in <Form Load>     \r\nExiting 2");
    EXPECT_FALSE(loadForEditor(11));
    EXPECT_EQ(state.errorTitle + '|' + state.errorMessage, "Fatal Error|" + refusal);
    EXPECT_EQ(state.loadStage, 2);
    // Within the limit the broken end is found.
    EXPECT_FALSE(loadForEditor(12));
    EXPECT_EQ(state.errorTitle, "XML parse error");
    // Read whole, the same refusal.
    write("Tavik.xml",
        readFile(dir.filePath("Tavik.xml"))
            .replace("<frame name=\"D\"><group>", "")
            .replace("<frame name=\"A\">",
                "<frame name=\"A\" xmlns:xsi=\"http://www.w3.org/2001/"
                "XMLSchema-instance\" xsi:type=\"frame\">"));
    EXPECT_FALSE(loadForEditor(11));
    EXPECT_EQ(state.errorMessage, refusal);
}

TEST_F(Loader, SettingsApplyInTurnAndResetAtEveryLoad)
{
    // A load replaces whatever model it finds.
    state.frames.resize(3);
    state.frames[0].groups.resize(4);
    state.frames[0].composites.resize(2);
    state.useConfigs = true;
    state.defaultFrame = 3;
    state.remoteOperation = true;
    state.operationLabel = "kept";
    loadBody("<frame name=\"F\"/>");
    ASSERT_EQ(state.frames.size(), 1u);
    EXPECT_TRUE(state.frames[0].groups.empty() && state.frames[0].composites.empty());
    EXPECT_TRUE(!state.useConfigs && state.defaultFrame == 0);
    EXPECT_TRUE(state.remoteOperation && state.operationLabel == "kept");

    loadBody("<settings useConfigs=\"true\" defaultFrame=\"1\" serverName=\"srv\" serverPort=\"8080\"/>"
             "<frame name=\"F\"/><settings defaultFrame=\"2\" operation=\"remote\"/>");
    EXPECT_TRUE(state.useConfigs && state.remoteOperation);
    EXPECT_EQ(state.defaultFrame, 2);
    EXPECT_EQ(state.operationLabel, " [remote/ srv:8080]");

    // Only "remote", exactly, selects the numbering server; a later settings element without
    // operation keeps it.
    loadBody("<settings operation=\"Remote\" serverName=\"srv\"/>");
    EXPECT_EQ(state.frames.size(), 1u) << "a file without frames keeps the frames it finds";
    EXPECT_FALSE(state.remoteOperation);
    EXPECT_EQ(state.operationLabel, " [local]");
    loadBody(
        "<settings operation=\"remote\" serverName=\"db.office\" serverPort=\"5432\"/><settings useConfigs=\"1\"/>");
    EXPECT_TRUE(state.remoteOperation);
    EXPECT_EQ(state.operationLabel, " [remote/ db.office:5432]");
}

TEST_F(Loader, ConfigurationsLoadAgainstASchemaCompiledOnce)
{
    writeSchema();
    XmlDocument schemaDoc;
    ASSERT_TRUE(schemaDoc.load(dir.filePath("Tavik.xsd")));
    auto schemas = std::make_shared<XmlSchemaCache>();
    ASSERT_TRUE(schemas->add(QStringLiteral("urn:tavik:test"), schemaDoc));
    const auto loadAgainst = [&](const QByteArray &body, LoadFailureDetail *detail = nullptr) {
        write("Tavik.xml", "<Tavik xmlns=\"urn:tavik:test\">\n" + body + "\n</Tavik>\n");
        state = SharedState();
        return loadConfigurationAgainst(
            state, [](const QString &) { return QString(); }, schemas, dir.filePath("Tavik.xml"), detail);
    };

    ASSERT_TRUE(loadAgainst("<frame name=\"A\"><group name=\"G\">" + items(13)
        + "</group></frame>"
          "<frame name=\"B\"><group name=\"H\"><item CPTag=\"X\"/></group></frame>"));
    ASSERT_EQ(state.frames.size(), 2u);
    EXPECT_EQ(groupNames(state.frames[0]), QStringList({"G...", "...G"}));
    EXPECT_EQ(state.frames[0].groups[1].items.at(0).CPTag, "I12");
    EXPECT_EQ(state.frames[1].groups.at(0).items.at(0).CPTag, "X");

    EXPECT_FALSE(loadAgainst("<frame name=\"F\">\n<bogus/></frame>"));
    EXPECT_EQ(state.loadStage, 4);
    EXPECT_THAT(state.errorMessage.toStdString(), HasSubstr("Error in Tavik.xml file near line  3"));

    // A fault in a later frame, after the earlier ones were built and freed, still gives its line.
    LoadFailureDetail detail;
    EXPECT_FALSE(
        loadAgainst("<frame name=\"A\"><group name=\"G\"/></frame>\n<frame name=\"B\">\n<group/></frame>", &detail));
    EXPECT_EQ(state.errorMessage, WalkMessage);
    EXPECT_EQ(detail.line, 4);
}

TEST_F(Loader, HostileFilesAndResourcesOutsideTheFolderAreRefused)
{
    const auto refused = [&](int stage, const char *message) {
        EXPECT_FALSE(load());
        EXPECT_EQ(state.loadStage, stage) << message;
        EXPECT_THAT(state.errorMessage.toStdString(), MatchesRegex(message));
    };
    // Billion laughs: libxml2's amplification limit stops the expansion.
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE Tavik [\n<!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= 10; ++i)
        laughs += "<!ENTITY l" + QByteArray::number(i) + " \"" + ("&l" + QByteArray::number(i - 1) + ";").repeated(10)
            + "\">\n";
    configure("");
    write("Tavik.xml", laughs + "]>\n<Tavik xmlns=\"urn:tavik:test\"><note>&l10;</note></Tavik>\n");
    refused(4, "Error in Tavik.xml file near line  [0-9]+\r\n.+\r\nExit on error");

    // Neither an external entity naming a file beside the configuration nor an external DTD is read.
    write("secret.txt", "top secret");
    write("Tavik.xml",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Tavik [\n<!ENTITY s SYSTEM \"secret.txt\">\n]>\n"
        "<Tavik xmlns=\"urn:tavik:test\">\n<note>&s;</note></Tavik>\n");
    refused(4,
        "Error in Tavik.xml file near line  6\r\nRefused to load the external resource \"file://.*/secret.txt\"\r\n"
        "Exit on error");
    write("Tavik.xml",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Tavik SYSTEM \"http://example.invalid/t.dtd\">\n"
        "<Tavik xmlns=\"urn:tavik:test\"/>\n");
    refused(4, ".*Refused to load the external resource \"http://.*");

    // A schema import from the network fails the schema, though libxml2 would only warn.
    write("Tavik.xsd",
        SchemaStart
            + "<xs:import namespace=\"urn:other\" schemaLocation=\"http://example.invalid/o.xsd\"/>\n"
              "<xs:element name=\"Tavik\"/>\n</xs:schema>\n");
    write("Tavik.xml", "<Tavik xmlns=\"urn:tavik:test\"/>");
    refused(3,
        "Error in Tavik.xsd file near line  2\r\nRefused to load the external resource "
        "\"http://example.invalid/o.xsd\"\r\nExit on error");

    // The schema may include schemas from its own folder only.
    const QByteArray parts = SchemaStart + "<xs:element name=\"Tavik\"/>\n</xs:schema>\n";
    write("parts.xsd", parts);
    write("sub/parts.xsd", parts);
    write("Tavik.xsd", SchemaStart + "<xs:include schemaLocation=\"parts.xsd\"/>\n</xs:schema>\n");
    write("Tavik.xml", "<Tavik xmlns=\"urn:tavik:test\"><frame name=\"F\"/></Tavik>");
    ASSERT_TRUE(load()) << state.errorMessage.toStdString();
    EXPECT_EQ(state.frames.at(0).name, "F");
    write("Tavik.xsd", SchemaStart + "<xs:include schemaLocation=\"sub/parts.xsd\"/>\n</xs:schema>\n");
    refused(3, ".*Refused to load the external resource.*");
}
