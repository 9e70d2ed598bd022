// FreeCAD documents in the bundled host: the samples through the host's interface, mass
// properties from the chosen shapes, saves that change only what the host writes, and files that
// are refused without being touched.

#include "host_fixture.h"
#include "zip_maker.h"

#include "freecad/document_xml.h"
#include "freecad/fcstd_archive.h"
#include "host/document_file.h"
#include "host/document_file_error.h"
#include "host/freecad_document.h"
#include "platform/runtime_error.h"

#include <algorithm>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavik;

namespace {

class FreeCadDocumentTest : public HostFixture {
protected:
    QString sample(const char *name)
    {
        return write(QString::fromLatin1(name),
            readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/") + QLatin1String(name)));
    }

    // The message a file is refused with when the host opens it.
    QString refusal(const QString &path)
    {
        try {
            std::make_shared<HostApplication>()->openDocument(path);
        } catch (const DocumentFileError &e) {
            return e.message;
        }
        return QStringLiteral("(opened)");
    }
};

// Document.xml of an archive, with the Meta property cut out.
QByteArray outsideMeta(const QByteArray &archive)
{
    QByteArray xml = FcstdArchive(archive).read("Document.xml");
    const qsizetype from = xml.indexOf("<Property name=\"Meta\"");
    return xml.remove(from, xml.indexOf("</Property>", from) - from);
}

// Block.FCStd with its Document.xml changed by edit.
QByteArray blockWith(const std::function<void(QByteArray &)> &edit)
{
    const QByteArray block = readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Block.FCStd"));
    QByteArray xml = FcstdArchive(block).read("Document.xml");
    edit(xml);
    return FcstdArchive(block).withEntry("Document.xml", xml);
}

// Block.FCStd (four Meta items) with Meta items put before its own.
QByteArray withMeta(const QByteArray &items)
{
    return blockWith([&](QByteArray &xml) {
        const qsizetype at = xml.indexOf("<Map count=\"4\">", xml.indexOf("<Property name=\"Meta\""));
        xml.replace(at, 16, "<Map count=\"" + QByteArray::number(4 + items.count("<Item")) + "\">\n" + items);
    });
}

const QString odd = QString::fromUtf8("Müller & Söhne <GmbH> \"Ω\" 😀\nzweite Zeile");

} // namespace

TEST_F(FreeCadDocumentTest, TheSamplesReadThroughTheHostsInterface)
{
    const auto block = app->openDocument(sample("Block.FCStd"));
    EXPECT_EQ(block->GetType(), sw::swDocPART);
    EXPECT_EQ(block->GetTitle(), "Block.FCStd");
    EXPECT_EQ(block->GetConfigurationCount(), 0);
    EXPECT_EQ(block->GetActiveConfiguration(), nullptr);
    EXPECT_EQ(block->GetCustomInfoNames2(""), QStringList({"Description", "PartNo", "Supplier", "Workshop"}));
    EXPECT_EQ(block->CustomInfo2("", "Supplier"), QString::fromUtf8("Müller & Söhne"));
    EXPECT_EQ(QStringList({block->SummaryInfo(0), block->SummaryInfo(1), block->SummaryInfo(2), block->SummaryInfo(3),
                  block->SummaryInfo(4), block->SummaryInfo(5)}),
        QStringList({"Block", "", QString::fromUtf8("Anna Weiß"), "", "Three solids", ""}));
    EXPECT_EQ(block->GetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity), 2700.0);
    EXPECT_EQ(block->LengthUnit(), 0);
    EXPECT_EQ(block->GetUserUnit(sw::swLengthUnit)->GetUnitsString(false), "mm");
    EXPECT_EQ(block->data().freecad->shapeEntries(), QStringList({"PartShape.brp", "PartShape1.brp", "PartShape2.brp"}));
    // No configuration takes values, and the host's own names are not custom properties.
    EXPECT_FALSE(block->AddCustomInfo3("Default", "X", 30, "1"));
    EXPECT_FALSE(block->AddCustomInfo3("", "Tavik:Title", 30, "1"));

    const auto flange = app->openDocument(sample("Flange.FCStd"));
    EXPECT_EQ(flange->GetType(), sw::swDocPART);
    EXPECT_EQ(flange->data().freecad->shapeEntries(), QStringList({"PartShape2.brp"}));
    EXPECT_EQ(flange->GetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity), 7850.0);

    const auto stand = app->openDocument(sample("Stand.FCStd"));
    EXPECT_EQ(stand->GetType(), sw::swDocASSEMBLY);
    EXPECT_EQ(stand->GetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity), 1000.0) << "no density: water's";
    int status = -1;
    EXPECT_TRUE(stand->Extension()->GetMassProperties(0, status).empty()) << "an assembly of links has no shape here";
    EXPECT_EQ(status, 1);
}

TEST_F(FreeCadDocumentTest, MassPropertiesComeFromTheChosenShapesMeasuredOnce)
{
    const QString path = sample("Block.FCStd");
    int measured = 0;
    FreeCadSource::Shapes given;
    const auto measure = [&](const FreeCadSource::Shapes &shapes) {
        ++measured;
        given = shapes;
        ShapeMeasure m;
        m.volume = 1e6;
        m.area = 6e4;
        m.centreOfMass = {10, 20, 30};
        return m;
    };
    const auto doc
        = std::make_shared<HostDocument>(app->calls(), FreeCadDocument::parse(readFile(path), path, measure), path);
    int status = -1;
    std::vector<double> mass = doc->Extension()->GetMassProperties(0, status);
    EXPECT_EQ(status, 0);
    const std::vector<double> expected{0.01, 0.02, 0.03, 1e-3, 0.06, 2.7};
    ASSERT_EQ(mass.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(mass[i], expected[i], 1e-12) << i;
    ASSERT_EQ(given.size(), 3u);
    FcstdArchive archive(readFile(path));
    for (const auto &[name, bytes] : given)
        EXPECT_EQ(bytes, archive.read(name)) << name.toStdString();

    // A density set since counts; the shapes are not measured again.
    EXPECT_TRUE(doc->SetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity, 1000));
    EXPECT_NEAR(doc->Extension()->GetMassProperties(0, status)[5], 1.0, 1e-12);
    EXPECT_EQ(measured, 1);

    // A shape that cannot be read fails the call, every time, and leaves the document open.
    int failures = 0;
    const auto broken = std::make_shared<HostDocument>(app->calls(),
        FreeCadDocument::parse(readFile(path), path,
            [&](const FreeCadSource::Shapes &) -> ShapeMeasure {
                ++failures;
                throw RuntimeError(err::Automation, "PartShape1.brp: not a shape");
            }),
        path);
    for (int i = 0; i < 2; ++i) {
        try {
            broken->Extension()->GetMassProperties(0, status);
            ADD_FAILURE() << "a broken shape was measured";
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.description, "The mass properties could not be computed (PartShape1.brp: not a shape)");
        }
    }
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(broken->CustomInfo2("", "PartNo"), "FC-100");
}

TEST_F(FreeCadDocumentTest, ASaveOfMetaValuesChangesOnlyTheMetaMap)
{
    const QString path = sample("Block.FCStd");
    const QByteArray original = readFile(path);
    auto doc = app->openDocument(path);
    doc->save();
    EXPECT_EQ(readFile(path), original) << "a save without a change writes the file as it was";

    const QString longValue = QString(100000, QLatin1Char('v'));
    EXPECT_TRUE(doc->DeleteCustomInfo2("", "PartNo") && doc->DeleteCustomInfo2("", "Description"));
    EXPECT_TRUE(doc->AddCustomInfo3("", "PartNo", 30, odd));
    EXPECT_TRUE(doc->AddCustomInfo3("", QString::fromUtf8("Größe"), 30, longValue));
    EXPECT_TRUE(doc->AddCustomInfo3("", "Empty", 30, ""));
    doc->save();

    const QByteArray saved = readFile(path);
    const auto again = std::make_shared<HostApplication>()->openDocument(path);
    EXPECT_EQ(again->GetCustomInfoNames2(""), QStringList({"Supplier", "Workshop", "PartNo", QString::fromUtf8("Größe"), "Empty"}));
    EXPECT_EQ(again->CustomInfo2("", "PartNo"), odd);
    EXPECT_EQ(again->CustomInfo2("", QString::fromUtf8("Größe")), longValue);
    EXPECT_EQ(again->SummaryInfo(2), QString::fromUtf8("Anna Weiß"));

    // The shapes are copied byte for byte, and Document.xml differs only inside Meta.
    const auto before = zipMaker::rawEntries(original);
    const auto after = zipMaker::rawEntries(saved);
    ASSERT_EQ(before.size(), after.size());
    for (qsizetype i = 1; i < before.size(); ++i)
        EXPECT_EQ(before[i], after[i]) << before[i].name.toStdString();
    EXPECT_EQ(outsideMeta(saved), outsideMeta(original));
}

TEST_F(FreeCadDocumentTest, EverySettingTheHostKeepsComesBack)
{
    const QString path = sample("Block.FCStd");
    auto doc = app->openDocument(path);
    const QStringList summary{QString::fromUtf8("Block ß"), "Subject", "Jo & Co", "kw1, kw2", "two\nlines", "Tavik"};
    for (int k = 0; k < 6; ++k)
        doc->SetSummaryInfo(k, summary[k]);
    EXPECT_TRUE(doc->SetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity, 7800.5));
    doc->SetLengthUnit(7); // nanometres: no unit system of FreeCAD's shows them
    EXPECT_TRUE(doc->SetTitle2("Shown.FCStd"));
    EXPECT_TRUE(doc->addAttribute({"TavikAttribute", "pub_Tavik", {{"USE_CONFIGS", 1}, {"USE_FRAME", 2.5}}, {}, {}}));
    doc->save();

    const auto again = std::make_shared<HostApplication>()->openDocument(path);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(again->SummaryInfo(k), summary[k]) << k;
    EXPECT_EQ(again->GetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity), 7800.5);
    EXPECT_EQ(again->LengthUnit(), 7);
    EXPECT_EQ(again->GetUserUnit(sw::swLengthUnit)->GetUnitsString(false), "nm");
    EXPECT_EQ(again->GetTitle(), "Shown.FCStd");
    EXPECT_EQ(again->GetCustomInfoNames2(""), QStringList({"Description", "PartNo", "Supplier", "Workshop"}))
        << "the host's settings are no custom properties";
    const AttributeInstance *attribute = again->attribute("TavikAttribute");
    ASSERT_NE(attribute, nullptr);
    EXPECT_EQ(attribute->definition, "pub_Tavik");
    EXPECT_EQ(attribute->parameters, (QList<std::pair<QString, double>>{{"USE_CONFIGS", 1}, {"USE_FRAME", 2.5}}));

    const QByteArray xml = FcstdArchive(readFile(path)).read("Document.xml");
    for (const char *written : {"<String value=\"Block ß\"/>", "<String value=\"Jo &amp; Co\"/>",
             "<String value=\"two&#10;lines\"/>", "<Item key=\"Density\" value=\"7800.5 kg/m^3\"/>",
             "<Item key=\"Tavik:LengthUnit\" value=\"nm\"/>", "<Item key=\"Tavik:Subject\" value=\"Subject\"/>",
             "<Item key=\"Tavik:Attribute:TavikAttribute:USE_FRAME\" value=\"2.5\"/>"})
        EXPECT_TRUE(xml.contains(written)) << written;

    // Back to millimetres and a density read from the file: nothing of the host's is left over.
    again->SetLengthUnit(0);
    again->save();
    EXPECT_FALSE(FcstdArchive(readFile(path)).read("Document.xml").contains("Tavik:LengthUnit"));
}

TEST_F(FreeCadDocumentTest, TheUnitSystemHoldsTheLengthUnitWhereOneOfItsSystemsShowsIt)
{
    // A unit system as later versions of FreeCAD record it: 1 is MKS, lengths in metres.
    const QString path = write("Units.FCStd", blockWith([](QByteArray &xml) {
        xml.replace(xml.indexOf("<Properties Count=\"15\""), 22, "<Properties Count=\"16\"");
        xml.replace("        <Property name=\"Uid\"",
            "        <Property name=\"UnitSystem\" type=\"App::PropertyEnumeration\">\n"
            "            <Integer value=\"1\"/>\n        </Property>\n        <Property name=\"Uid\"");
    }));
    const auto systemOf = [&] {
        const QByteArray xml = FcstdArchive(readFile(path)).read("Document.xml");
        const DocumentXml doc(xml);
        const FreeCadProperty *meta = doc.property("Meta");
        const bool kept = std::any_of(meta->items.cbegin(), meta->items.cend(),
            [](const auto &item) { return item.first == QLatin1String("Tavik:LengthUnit"); });
        return std::make_pair(doc.property("UnitSystem")->integer, kept);
    };
    auto doc = app->openDocument(path);
    EXPECT_EQ(doc->LengthUnit(), 2);
    EXPECT_EQ(doc->GetUserUnit(sw::swLengthUnit)->GetUnitsString(false), "m");

    doc->SetLengthUnit(1); // centimetres: Building Euro
    doc->save();
    EXPECT_EQ(systemOf(), std::make_pair(4LL, false));
    doc->SetLengthUnit(8); // microns: no system of FreeCAD's, so the unit system stays
    doc->save();
    EXPECT_EQ(systemOf(), std::make_pair(1LL, true));
    EXPECT_EQ(std::make_shared<HostApplication>()->openDocument(path)->LengthUnit(), 8);
    doc->SetLengthUnit(4); // feet: Imperial for Civil Eng
    doc->save();
    EXPECT_EQ(systemOf(), std::make_pair(7LL, false));
    EXPECT_EQ(std::make_shared<HostApplication>()->openDocument(path)->LengthUnit(), 4);
}

TEST_F(FreeCadDocumentTest, MetaKeysThatAreNoCustomPropertiesAreKept)
{
    const QString path = write("Block.FCStd", withMeta("<Item key=\"\" value=\"no name\"/>\n"
                                                       "<Item key=\"Tavik:Later\" value=\"a later version's\"/>\n"));
    auto doc = app->openDocument(path);
    EXPECT_EQ(doc->GetCustomInfoNames2(""), QStringList({"Description", "PartNo", "Supplier", "Workshop"}));
    EXPECT_TRUE(doc->AddCustomInfo3("", "New", 30, "1"));
    doc->save();
    const FreeCadItems meta
        = DocumentXml(FcstdArchive(readFile(path)).read("Document.xml")).property("Meta")->items;
    EXPECT_TRUE(meta.contains(std::pair<QString, QString>("", "no name")));
    EXPECT_TRUE(meta.contains(std::pair<QString, QString>("Tavik:Later", "a later version's")));
    EXPECT_EQ(meta.last(), (std::pair<QString, QString>("Tavik:Later", "a later version's")));
}

TEST_F(FreeCadDocumentTest, ASaveThatCannotBeWrittenLeavesTheFile)
{
    const QString path = sample("Block.FCStd");
    const QByteArray original = readFile(path);
    auto doc = app->openDocument(path);

    // A value that FreeCAD could not read back is refused, naming the file.
    EXPECT_TRUE(doc->AddCustomInfo3("", "Bad", 30, QStringLiteral("a\x01z")));
    try {
        doc->save();
        ADD_FAILURE() << "a control character was saved";
    } catch (const DocumentFileError &e) {
        EXPECT_EQ(e.message, path + ": the value of Meta key \"Bad\" holds a character that a FreeCAD file cannot hold "
                                    "(U+0001)");
    }
    EXPECT_EQ(readFile(path), original);
    doc->DeleteCustomInfo2("", "Bad");

    // The write breaks off half way: the file size limit stops it, also for root.
    EXPECT_TRUE(doc->AddCustomInfo3("", "Note", 30, QString(20000, QLatin1Char('n'))));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 2048;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(doc->save(), DocumentFileError);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Block.FCStd"}));

    // A folder that may not be written in keeps the old file (root may write anywhere).
    if (geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
        EXPECT_THROW(doc->save(), DocumentFileError);
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        EXPECT_EQ(readFile(path), original);
    }

    // A FreeCAD document is saved as one only; a document of the host's own is never one.
    EXPECT_NE(doc->SaveAs2("Block.sldprt", 0, false, false), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Block.sldprt")));
    EXPECT_EQ(doc->SaveAs2("Copy.fcstd", 0, true, false), 0);
    EXPECT_EQ(std::make_shared<HostApplication>()->openDocument(dir.filePath("Copy.fcstd"))->CustomInfo2("", "Note").size(), 20000);
    const auto own = app->newDocument(sw::swDocPART);
    EXPECT_NE(own->SaveAs2(dir.filePath("Own.FCStd"), 0, false, false), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Own.FCStd")));
}

TEST_F(FreeCadDocumentTest, BadFilesAreRefusedAndLeftAsTheyWere)
{
    const QByteArray block = readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Block.FCStd"));
    const QByteArray shape = FcstdArchive(block).read("PartShape.brp");
    const QByteArray brokenXml = "<?xml version='1.0' encoding='utf-8'?>\n<Document>\n<Properties Count=\"0\">\n</Document>\n";
    const std::initializer_list<std::tuple<const char *, QByteArray, QString>> cases{
        {"Truncated.FCStd", block.left(block.size() / 2), "the file is not a readable zip archive (Not a zip archive)"},
        {"NoDocument.FCStd", zipMaker::make({{"PartShape.brp", shape}}),
            "the zip archive holds no Document.xml, so it is not a FreeCAD document"},
        {"Broken.FCStd", zipMaker::make({{"Document.xml", brokenXml}}),
            "Document.xml is not well-formed XML (line 4: Opening and ending tag mismatch: Properties line 3 and Document)"},
        {"Climbing.FCStd", zipMaker::make({{"Document.xml", "<Document/>"}, {"../PartShape.brp", shape}}),
            "the zip archive holds an entry named \"../PartShape.brp\", which points outside the archive"},
        {"Bomb.FCStd", zipMaker::make({{"Document.xml", {}, (qint64(128) << 20) + 1}}),
            "the zip archive's entry \"Document.xml\" inflates to more than 128 MiB"},
        {"Json.FCStd", "{\"type\": 1}", "the file is not a readable zip archive (Not a zip archive)"},
        {"Zip.sldprt", block,
            "the file is a zip archive, not a JSON document; only a file named *.FCStd is read as a FreeCAD document"},
        {"Unit.FCStd", withMeta("<Item key=\"Tavik:LengthUnit\" value=\"furlong\"/>"),
            "the Meta key \"Tavik:LengthUnit\" must name a length unit, not \"furlong\""},
        {"Parameter.FCStd", withMeta("<Item key=\"Tavik:Attribute:A:P\" value=\"1,5\"/>"),
            "the Meta key \"Tavik:Attribute:A:P\" must hold a number, not \"1,5\""},
        {"Attribute.FCStd", withMeta("<Item key=\"Tavik:Attribute::P\" value=\"1\"/>"),
            "the Meta key \"Tavik:Attribute::P\" names no attribute"},
    };
    for (const auto &[name, bytes, fault] : cases) {
        const QString path = write(QString::fromLatin1(name), bytes);
        EXPECT_EQ(refusal(path), path + ": " + fault);
        EXPECT_EQ(readFile(path), bytes) << name;
    }
}
