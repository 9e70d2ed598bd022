#include "check_folder.h"

#include "config/layout_limits.h"
#include "check/configuration_check.h"
#include "host/host_application.h"
#include "host/host_document.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tavik;

namespace {

const QString dataDir = QStringLiteral(TAVIK_SOURCE_DIR "/data");

// Every place where two JSON values differ, as "path: actual != expected", so that a failing
// comparison names the field.
void diff(const QJsonValue &actual, const QJsonValue &expected, const QString &path, QStringList &out)
{
    if (actual.type() != expected.type()) {
        out << path + QStringLiteral(": type differs");
    } else if (actual.isObject()) {
        const QJsonObject a = actual.toObject(), e = expected.toObject();
        for (const QString &key : e.keys())
            if (!a.contains(key))
                out << path + QLatin1Char('.') + key + QStringLiteral(": missing");
        for (const QString &key : a.keys())
            if (!e.contains(key))
                out << path + QLatin1Char('.') + key + QStringLiteral(": unexpected");
            else
                diff(a[key], e[key], path + QLatin1Char('.') + key, out);
    } else if (actual.isArray()) {
        const QJsonArray a = actual.toArray(), e = expected.toArray();
        if (a.size() != e.size())
            out << path + QStringLiteral(": %1 elements, expected %2").arg(a.size()).arg(e.size());
        for (qsizetype i = 0; i < std::min(a.size(), e.size()); ++i)
            diff(a[i], e[i], path + QStringLiteral("[%1]").arg(i), out);
    } else if (actual != expected) {
        out << path + QStringLiteral(": ") + QString::fromUtf8(QJsonDocument(QJsonArray{actual}).toJson(QJsonDocument::Compact))
                + QStringLiteral(" != ") + QString::fromUtf8(QJsonDocument(QJsonArray{expected}).toJson(QJsonDocument::Compact));
    }
}

QJsonObject modelOf(const ConfigurationCheckResult &r)
{
    EXPECT_TRUE(r.output.startsWith(QStringLiteral("OK\n"))) << r.output.left(300).toStdString();
    return QJsonDocument::fromJson(r.output.mid(3).toUtf8()).object();
}

} // namespace

using ConfigurationCheckTest = CheckFolder;

// The loader's conversions and default rules, and both resolution passes, on one small file whose
// model was worked out by hand.
TEST_F(ConfigurationCheckTest, TinyConfigurationGivesTheModelFieldByField)
{
    useConfiguration(readFile(QStringLiteral(TAVIK_SOURCE_DIR "/tests/check/fixtures/tiny/Tavik.xml")));
    const ConfigurationCheckResult r = ConfigurationCheck{dir.path(), {}, true}.run();
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    const QJsonObject expected = QJsonDocument::fromJson(
        readFile(QStringLiteral(TAVIK_SOURCE_DIR "/tests/check/fixtures/tiny/expected.json"))).object();
    ASSERT_FALSE(expected.isEmpty());
    QStringList differences;
    diff(modelOf(r), expected, QStringLiteral("model"), differences);
    EXPECT_TRUE(differences.isEmpty()) << differences.join(QLatin1Char('\n')).toStdString();
}

// The shipped configuration loads, and the sample documents open in the bundled host and carry
// only properties that the frame they were saved with declares, list values among its entries.
TEST_F(ConfigurationCheckTest, ShippedConfigurationLoadsAndTheSamplesFitIt)
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

    QDirIterator samples(dataDir + QStringLiteral("/samples"), {QStringLiteral("*.sldprt"), QStringLiteral("*.sldasm")},
                         QDir::Files);
    int count = 0;
    while (samples.hasNext()) {
        const QString path = samples.next();
        SCOPED_TRACE(path.toStdString());
        ++count;
        const ConfigurationCheckResult r = ConfigurationCheck{dataDir, path, false}.run();
        EXPECT_EQ(r.exitCode, 0) << r.output.toStdString() << r.errors.toStdString();

        auto app = std::make_shared<HostApplication>();
        std::shared_ptr<HostDocument> doc;
        ASSERT_NO_THROW(doc = app->openDocument(path));
        int frame = 0;
        if (auto *attribute = doc->attribute(QStringLiteral("TavikAttribute")))
            for (const auto &[name, value] : attribute->parameters)
                if (name == QLatin1String("USE_FRAME"))
                    frame = int(value);
        ASSERT_LT(frame, frames.size());

        QHash<QString, QJsonObject> items;
        for (const QJsonValue &g : frames[frame].toObject()["groups"].toArray())
            for (const QJsonValue &i : g.toObject()["items"].toArray())
                items.insert(i.toObject()["CPTag"].toString(), i.toObject());
        QStringList levels = doc->GetConfigurationNames();
        levels.prepend(QString());
        for (const QString &level : levels) {
            for (const QString &name : doc->GetCustomInfoNames2(level)) {
                ASSERT_TRUE(items.contains(name)) << name.toStdString() << " in [" << level.toStdString() << "]";
                const QJsonObject item = items[name];
                if (item["type"] != QStringLiteral("list"))
                    continue;
                QStringList entries;
                for (const QJsonValue &o : item["options"].toArray())
                    entries << o.toObject()["values"].toArray()[0].toString();
                EXPECT_TRUE(entries.contains(doc->CustomInfo2(level, name)))
                    << name.toStdString() << " = " << doc->CustomInfo2(level, name).toStdString();
            }
        }
    }
    EXPECT_GE(count, 4);
}

TEST_F(ConfigurationCheckTest, FailuresGiveTheEditorsMessageAndExitCode)
{
    // Nothing in the folder: the schema is named first.
    ConfigurationCheckResult r = ConfigurationCheck{dir.path(), {}, false}.run();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.output.startsWith(QStringLiteral("Tavik: File not found\nTavik.xsd could not be found...\r\nExit on error\n")));

    // An item without its property name breaks the schema: the validator's line and reason.
    useConfiguration("<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:configuration\">\n"
                     "<frame name=\"F\"><group name=\"G\">\n<item displayName=\"x\"/></group></frame>\n</Tavik>\n");
    r = ConfigurationCheck{dir.path(), {}, false}.run();
    EXPECT_EQ(r.exitCode, 1);
    const QStringList lines = r.output.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3) << r.output.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Tavik: XML parse error"));
    EXPECT_EQ(lines[1], QStringLiteral("Error in Tavik.xml file near line  4\r"));
    EXPECT_TRUE(r.output.contains(QStringLiteral("CPTag"))) << r.output.toStdString();
    EXPECT_TRUE(r.output.endsWith(QStringLiteral("Exit on error\n"))) << r.output.toStdString();

    // A comment inside a group passes the schema but not the walk of the document.
    useConfiguration("<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:configuration\">"
                     "<frame name=\"F\"><group name=\"G\"><!-- note --><item CPTag=\"A\"/></group></frame></Tavik>\n");
    r = ConfigurationCheck{dir.path(), {}, false}.run();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.output.startsWith(QStringLiteral("Tavik: Fatal error\nUnknown error in parsing of Schema or XML files...\r\nExiting\n")));

    // A document that cannot be opened is a bad argument, not a configuration failure.
    const QString missing = dir.filePath(QStringLiteral("Nowhere.sldprt"));
    r = ConfigurationCheck{dir.path(), missing, false}.run();
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.output.isEmpty());
    EXPECT_TRUE(r.errors.contains(missing)) << r.errors.toStdString();
}

// Text of blanks only is kept where xml:space="preserve" asks for it, on an option or a value, and
// dropped elsewhere as before.
TEST_F(ConfigurationCheckTest, PreservedBlankTextIsAValue)
{
    useConfiguration("<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:configuration\"><frame name=\"F\"><group name=\"G\">\n"
                     "<item CPTag=\"A\"><option>a</option></item>\n"
                     "<item CPTag=\"C\" type=\"composite\" length=\"9\"><option>A</option>\n"
                     "  <option xml:space=\"preserve\"> </option>\n"
                     "  <option><value xml:space=\"preserve\">  </value><value>y</value></option></item>\n"
                     "</group></frame></Tavik>\n");
    const ConfigurationCheckResult r = ConfigurationCheck{dir.path(), {}, true}.run();
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    const QJsonObject group = modelOf(r)["frames"].toArray()[0].toObject()["groups"].toArray()[0].toObject();
    const QJsonArray options = group["items"].toArray()[1].toObject()["options"].toArray();
    ASSERT_EQ(options.size(), 3);
    auto value = [&](int o, int k) { return options[o].toObject()["values"].toArray()[k].toString(); };
    EXPECT_EQ(value(1, 0), QStringLiteral(" "));
    EXPECT_EQ(value(2, 0), QStringLiteral("  "));
    EXPECT_EQ(value(2, 1), QStringLiteral("y"));
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
    EXPECT_EQ(breach->reason, QStringLiteral("the form needs 10002 label places (two per field label) for the document and "
                                             "its 1666 configurations, more than the 9999 the editor can make; the limit is "
                                             "passed in frame \"F\", tab \"G\""));
    // Fields of the document only are made once, however many configurations there are; the
    // tab's pages are still one per slot.
    for (CPItem &item : group.items)
        item.location = OnlyDocument;
    EXPECT_FALSE(layoutLimitBreach(frames, 9999));
    EXPECT_EQ(layoutLimitBreach(frames, 10000)->stage, 4);
}
