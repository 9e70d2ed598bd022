#include "check_folder.h"

#include "check/configuration_check.h"
#include "config/layout_limits.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

using namespace tavik;

namespace {

const QString dataDir = QStringLiteral(TAVIK_SOURCE_DIR "/data");

QJsonObject modelOf(const ConfigurationCheckResult &r)
{
    EXPECT_TRUE(r.output.startsWith(QStringLiteral("OK\n"))) << r.output.left(300).toStdString();
    return QJsonDocument::fromJson(r.output.mid(3).toUtf8()).object();
}

} // namespace

using ConfigurationCheckTest = CheckFolder;

// The loader's conversions and default rules, and both resolution passes, on one small file whose
// model was worked out by hand.
TEST_F(ConfigurationCheckTest, TinyConfigurationGivesTheModelWorkedOutByHand)
{
    useConfiguration(readFile(QStringLiteral(TAVIK_SOURCE_DIR "/tests/check/fixtures/tiny/Tavik.xml")));
    const ConfigurationCheckResult r = ConfigurationCheck{dir.path(), {}, true}.run();
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    const QJsonObject expected
        = QJsonDocument::fromJson(readFile(QStringLiteral(TAVIK_SOURCE_DIR "/tests/check/fixtures/tiny/expected.json")))
              .object();
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(modelOf(r), expected) << r.output.toStdString();
}

// The shipped configuration loads, shows every kind of item, and checks against every sample.
TEST_F(ConfigurationCheckTest, ShippedConfigurationLoadsAndChecksAgainstEverySample)
{
    const ConfigurationCheckResult plain = ConfigurationCheck{dataDir, {}, true}.run();
    ASSERT_EQ(plain.exitCode, 0) << plain.output.toStdString();
    const QJsonArray frames = modelOf(plain)["frames"].toArray();
    ASSERT_EQ(frames.size(), 3);

    // It shows every kind of item, and nothing in it names a system value that does not exist.
    QSet<QString> kinds;
    for (const QJsonValue &f : frames) {
        for (const QJsonValue &g : f.toObject()["groups"].toArray()) {
            for (const QJsonValue &i : g.toObject()["items"].toArray()) {
                const QJsonObject item = i.toObject();
                kinds.insert(item["isListTarget"].toBool() ? QStringLiteral("linked list") : item["type"].toString());
                EXPECT_FALSE(item["defaultValue"].toString().startsWith(QStringLiteral("ERROR")))
                    << item["CPTag"].toString().toStdString();
            }
        }
    }
    EXPECT_EQ(kinds, (QSet<QString>{"standard", "list", "linked list", "composite", "systemRead"}));

    QDirIterator samples(dataDir + "/samples", {"*.sldprt", "*.sldasm"}, QDir::Files);
    int count = 0;
    for (; samples.hasNext(); ++count) {
        const ConfigurationCheckResult r = ConfigurationCheck{dataDir, samples.next(), false}.run();
        EXPECT_EQ(r.exitCode, 0) << r.output.toStdString() << r.errors.toStdString();
    }
    EXPECT_GE(count, 4);
}

// A failure gives the editor's title and message and exit status 1, then where and why.
TEST_F(ConfigurationCheckTest, FailuresGiveTheEditorsMessageThenWhereAndWhy)
{
    const auto check = [&](const QString &doc = {}) { return ConfigurationCheck{dir.path(), doc, false}.run(); };
    ConfigurationCheckResult r = check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output,
        "Tavik: File not found\nTavik.xsd could not be found...\r\nExit on error\n"
        "Looked for the schema at "
            + QDir(dir.path()).absoluteFilePath("Tavik.xsd") + "\n");

    const QString path = dir.filePath("Tavik.xml");
    const QByteArray head
        = "<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:configuration\">\n<frame name=\"F\"><group name=\"G\">\n";
    const QByteArray tail = "</group></frame>\n</Tavik>\n";
    const QString unknown = "Tavik: Fatal error\nUnknown error in parsing of Schema or XML files...\r\nExiting\n";
    const QString xmlError = "Tavik: XML parse error\nError in Tavik.xml file near line ";
    const struct {
        QByteArray xml;
        QString message; // the start of the output: the editor's title and message
        QString because; // what the lines after the message say
    } cases[] = {
        // An item without its property name breaks the schema: the validator's line and reason.
        {head + "<item displayName=\"x\"/>" + tail, xmlError + " 4\r\n", "CPTag"},
        {head + "<!-- note -->\n<item CPTag=\"A\"/>" + tail, unknown,
            path + ":4: a comment inside a group: only elements may stand there; move comments outside the frames"},
        {head + "<item CPTag=\"A\">\n<option/></item>" + tail, unknown,
            path + ":5: an option without text (<option/>)"},
        {head + "<item CPTag=\"A\"><option>Caf\xe9</option></item>" + tail, xmlError,
            path + ":4: the file is not UTF-8. Save it as UTF-8, or name its encoding in its first line"},
        {"<?xml version=\"1.0\"?>\n<Tavik>\n<frame name=\"F\"><group name=\"G\"><item CPTag=\"A\"/>" + tail, xmlError,
            path
                + ":2: the document element <Tavik> is in no namespace, but the schema expects "
                  "\"urn:tavik:configuration\": write <Tavik xmlns=\"urn:tavik:configuration\">"},
    };
    for (const auto &c : cases) {
        useConfiguration(c.xml);
        r = check();
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.output.startsWith(c.message)) << r.output.toStdString();
        EXPECT_TRUE(r.output.mid(c.message.size()).contains(c.because)) << r.output.toStdString();
    }

    // A document that cannot be opened is a bad argument, not a configuration failure.
    const QString missing = dir.filePath("Nowhere.sldprt");
    r = check(missing);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.output.isEmpty());
    EXPECT_TRUE(r.errors.contains(missing)) << r.errors.toStdString();
}

// One configuration with each mistake that loads but misleads the editor: each is reported once,
// at its line, with the name involved and the fix; the check passes unless strict.
TEST_F(ConfigurationCheckTest, MistakesThatLoadAreWarnedOfAndFailOnlyStrictChecks)
{
    useConfiguration(readFile(TAVIK_SOURCE_DIR "/tests/check/fixtures/mistakes/Tavik.xml"));
    const ConfigurationCheckResult r = ConfigurationCheck{dir.path(), {}, false}.run();
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(r.output, "OK\n");
    const QMap<int, QStringList> expected{
        {3, {"defaultFrame=\"1\" names no frame", "shows frame 0"}},
        {7, {"\"[A-Z###\" of \"Code\"", "Close the list with \"]\""}},
        {9, {"\"Title\" takes \"Nmae\"", "literal text", "Did you mean \"Name\"?"}},
        {13, {"composite \"Label\" has no length", "length=\"60\""}},
        {16,
            {"\"Mass\" of \"Weight\" does not exist", "ERROR: <Mass> function not implemented",
                "Did you mean \"mass\"?"}},
        {17, {"\"Serial\" is keyed on \"Projct\"", "shared counter \"Tavik\"", "Did you mean \"Project\"?"}},
        {18, {"CPTag \"Name\" is used twice", "first at line 6"}},
        {19, {"options of \"Shape\" are discarded", "line 20", "Remove the options"}},
        {24, {"links to \"Finsh\", which names no item", "Did you mean \"Finish\"?"}},
    };
    QMap<int, QString> warnings;
    const QString prefix = dir.filePath("Tavik.xml") + ':';
    for (const QString &line : r.errors.split('\n', Qt::SkipEmptyParts)) {
        const qsizetype at = line.indexOf(": warning: ");
        ASSERT_TRUE(line.startsWith(prefix) && at > 0) << line.toStdString();
        warnings.insert(line.mid(prefix.size(), at - prefix.size()).toInt(), line.mid(at + 11));
    }
    EXPECT_EQ(warnings.keys(), expected.keys()) << r.errors.toStdString();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        for (const QString &part : it.value())
            EXPECT_TRUE(warnings.value(it.key()).contains(part))
                << it.key() << ": " << warnings.value(it.key()).toStdString();

    const ConfigurationCheckResult strict = ConfigurationCheck{dir.path(), {}, false, true}.run();
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_TRUE(strict.output.isEmpty());
    EXPECT_TRUE(strict.errors.endsWith("9 warning(s); --strict makes them fail the check\n"));
}

// Text of blanks only is kept where xml:space="preserve" asks for it, on an option or a value, and
// dropped elsewhere as before.
TEST_F(ConfigurationCheckTest, PreservedBlankTextIsAValue)
{
    useConfiguration(
        "<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:configuration\"><frame name=\"F\"><group name=\"G\">\n"
        "<item CPTag=\"A\"><option>a</option></item>\n"
        "<item CPTag=\"C\" type=\"composite\" length=\"9\"><option>A</option>\n"
        "  <option xml:space=\"preserve\"> </option>\n"
        "  <option><value xml:space=\"preserve\">  </value><value>y</value></option></item>\n"
        "</group></frame></Tavik>\n");
    const ConfigurationCheckResult r = ConfigurationCheck{dir.path(), {}, true}.run();
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    const QJsonValue options = modelOf(r)["frames"][0]["groups"][0]["items"][1]["options"];
    ASSERT_EQ(options.toArray().size(), 3);
    EXPECT_EQ(options[1]["values"], QJsonArray({" ", "", ""}));
    EXPECT_EQ(options[2]["values"], QJsonArray({"  ", "y", ""}));
}

// The editor's controls are counted per configuration slot: a form that fits a document alone
// can pass the limits on a document with thousands of configurations, and the reason says where.
TEST_F(ConfigurationCheckTest, LayoutLimitsGrowWithTheConfigurations)
{
    std::vector<Frame> frames(1);
    frames[0].name = QStringLiteral("F");
    Group &group = frames[0].groups.emplace_back();
    group.name = QStringLiteral("G");
    for (int i = 0; i < 3; ++i)
        group.items.emplace_back().location = DocumentAndConfigurations;
    // Two label places per field: 6 per slot, so 1666 slots take 9996 and 1667 pass 9999.
    EXPECT_FALSE(layoutLimitBreach(frames, 1));
    EXPECT_FALSE(layoutLimitBreach(frames, 1666));
    const auto breach = layoutLimitBreach(frames, 1667);
    ASSERT_TRUE(breach);
    EXPECT_EQ(breach->stage, 2);
    EXPECT_EQ(breach->reason,
        QStringLiteral("the form needs 10002 label places (two per field label) for the document and "
                       "its 1666 configurations, more than the 9999 the editor can make; the limit is "
                       "passed in frame \"F\", tab \"G\""));
    // Fields of the document only are made once, however many configurations there are; the
    // tab's pages are still one per slot.
    for (CPItem &item : group.items)
        item.location = OnlyDocument;
    EXPECT_FALSE(layoutLimitBreach(frames, 9999));
    EXPECT_EQ(layoutLimitBreach(frames, 10000)->stage, 4);
    // A list reference that points nowhere stops the layout with its own error, not a limit,
    // even after one was passed.
    CPItem &broken = frames[0].groups.emplace_back().items.emplace_back();
    broken.inList = true;
    broken.listRef = CPRef::none();
    EXPECT_FALSE(layoutLimitBreach(frames, 10000));
}
