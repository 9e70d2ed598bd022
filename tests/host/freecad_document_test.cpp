// FreeCAD documents in the bundled host: the samples through the host's interface, mass
// properties from the chosen shapes, saves that change only what the host writes, and files that
// are refused without being touched.

#include "host_fixture.h"
#include "zip_maker.h"

#include "freecad/document_xml.h"
#include "freecad/fcstd_archive.h"
#include "host/document_file_error.h"
#include "host/freecad_document.h"
#include "platform/runtime_error.h"

#include <functional>

using namespace tavik;

namespace {

const QString Samples = QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/");

class FreeCadDocumentTest : public HostFixture {
protected:
    QString sample(const char *name) { return write(QString::fromLatin1(name), readFile(Samples + name)); }
    QByteArray documentXml(const QString &path) { return FcstdArchive(readFile(path)).read("Document.xml"); }
    std::shared_ptr<HostDocument> reopen(const QString &path)
    {
        return std::make_shared<HostApplication>()->openDocument(path);
    }
};

// Block.FCStd (four Meta items) with Meta items put before its own and, when asked, a unit system
// as later versions of FreeCAD record it: 1 is MKS, lengths in metres.
QByteArray withMeta(const QByteArray &items, bool unitSystem = false)
{
    const QByteArray block = readFile(Samples + "Block.FCStd");
    QByteArray xml = FcstdArchive(block).read("Document.xml");
    const qsizetype at = xml.indexOf("<Map count=\"4\">", xml.indexOf("<Property name=\"Meta\""));
    xml.replace(at, 16, "<Map count=\"" + QByteArray::number(4 + items.count("<Item")) + "\">\n" + items);
    if (unitSystem) {
        xml.replace(xml.indexOf("<Properties Count=\"15\""), 22, "<Properties Count=\"16\"");
        xml.replace("        <Property name=\"Uid\"",
            "        <Property name=\"UnitSystem\" type=\"App::PropertyEnumeration\">\n"
            "            <Integer value=\"1\"/>\n        </Property>\n        <Property name=\"Uid\"");
    }
    return FcstdArchive(block).withEntry("Document.xml", xml);
}

// Document.xml with the Meta property cut out.
QByteArray outsideMeta(QByteArray xml)
{
    const qsizetype from = xml.indexOf("<Property name=\"Meta\"");
    return xml.remove(from, xml.indexOf("</Property>", from) - from);
}

// What action fails with: a file's fault or a call's.
template <typename Action>
QString faultOf(Action action)
{
    try {
        action();
    } catch (const DocumentFileError &e) {
        return e.message;
    } catch (const RuntimeError &e) {
        return e.description;
    }
    return QStringLiteral("(no fault)");
}

} // namespace

TEST_F(FreeCadDocumentTest, TheSamplesReadThroughTheHostsInterface)
{
    const auto block = app->openDocument(sample("Block.FCStd"));
    EXPECT_EQ(block->GetCustomInfoNames2(""), QStringList({"Description", "PartNo", "Supplier", "Workshop"}));
    EXPECT_EQ(block->CustomInfo2("", "Supplier"), QString::fromUtf8("Müller & Söhne"));
    EXPECT_EQ(block->SummaryInfo(2), QString::fromUtf8("Anna Weiß"));
    EXPECT_EQ(block->GetUserUnit(sw::swLengthUnit)->GetUnitsString(false), "mm");
    EXPECT_FALSE(block->AddCustomInfo3("", "Tavik:Title", 30, "1")) << "the host's own names are no custom properties";

    // Which shapes make the part (the flange's cut, not the plate and drill it uses), the type and
    // the density (water's when the file gives none).
    const std::tuple<const char *, int, double, QStringList> samples[]
        = {{"Block.FCStd", sw::swDocPART, 2700, {"PartShape.brp", "PartShape1.brp", "PartShape2.brp"}},
            {"Flange.FCStd", sw::swDocPART, 7850, {"PartShape2.brp"}},
            {"Clip.FCStd", sw::swDocPART, 1000, {"PartShape.brp"}}, {"Stand.FCStd", sw::swDocASSEMBLY, 1000, {}}};
    for (const auto &[name, type, density, shapes] : samples) {
        const auto doc = app->openDocument(sample(name));
        EXPECT_EQ(doc->GetType(), type) << name;
        EXPECT_EQ(doc->GetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity), density) << name;
        EXPECT_EQ(doc->data().freecad->shapeEntries(), shapes) << name;
    }
    int status = -1;
    EXPECT_TRUE(
        app->openDocument(sample("Stand.FCStd"))->Extension()->GetMassProperties(0, status).empty() && status == 1)
        << "an assembly of links has no shape here";
}

TEST_F(FreeCadDocumentTest, MassPropertiesComeFromTheChosenShapesMeasuredOnce)
{
    const QString path = sample("Block.FCStd");
    int measured = 0;
    const auto measure = [&](const FreeCadSource::Shapes &shapes) {
        ++measured;
        EXPECT_EQ(shapes.size(), 3u);
        return ShapeMeasure{1e6, 6e4, {10, 20, 30}};
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

    // A density set since counts; the shapes are not measured again.
    EXPECT_TRUE(doc->SetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity, 1000));
    EXPECT_NEAR(doc->Extension()->GetMassProperties(0, status)[5], 1.0, 1e-12);
    EXPECT_EQ(measured, 1);

    // A shape that cannot be read fails the call, every time, and leaves the document open.
    const auto broken = std::make_shared<HostDocument>(app->calls(),
        FreeCadDocument::parse(readFile(path), path,
            [&](const FreeCadSource::Shapes &) -> ShapeMeasure {
                ++measured;
                throw RuntimeError(err::Automation, "PartShape1.brp: not a shape");
            }),
        path);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(faultOf([&] { broken->Extension()->GetMassProperties(0, status); }),
            "The mass properties could not be computed (PartShape1.brp: not a shape)");
    EXPECT_EQ(measured, 2);
    EXPECT_EQ(broken->CustomInfo2("", "PartNo"), "FC-100");
}

TEST_F(FreeCadDocumentTest, ASaveChangesOnlyWhatTheHostWrites)
{
    // Meta keys that are no custom properties (no name, a later version's) stay where they were.
    const QString path = write("Block.FCStd",
        withMeta(
            "<Item key=\"\" value=\"no name\"/>\n<Item key=\"Tavik:Later\" value=\"a later version's\"/>\n", true));
    const QByteArray original = readFile(path);
    auto doc = app->openDocument(path);
    EXPECT_EQ(doc->LengthUnit(), 2) << "metres";
    doc->save();
    EXPECT_EQ(readFile(path), original) << "a save without a change writes the file as it was";

    const QString odd = QString::fromUtf8("Müller & Söhne <GmbH> \"Ω\" 😀\nzweite Zeile");
    EXPECT_TRUE(doc->DeleteCustomInfo2("", "PartNo") && doc->DeleteCustomInfo2("", "Description"));
    EXPECT_TRUE(doc->AddCustomInfo3("", "PartNo", 30, odd));
    EXPECT_TRUE(doc->AddCustomInfo3("", QString::fromUtf8("Größe"), 30, ""));
    doc->save();

    auto again = reopen(path);
    EXPECT_EQ(
        again->GetCustomInfoNames2(""), QStringList({"Supplier", "Workshop", "PartNo", QString::fromUtf8("Größe")}));
    EXPECT_EQ(again->CustomInfo2("", "PartNo"), odd);
    EXPECT_EQ(outsideMeta(documentXml(path)), outsideMeta(FcstdArchive(original).read("Document.xml")));
    const FreeCadItems meta = DocumentXml(documentXml(path)).property("Meta")->items;
    EXPECT_TRUE(meta.contains(std::pair<QString, QString>("", "no name")));
    EXPECT_EQ(meta.last(), (std::pair<QString, QString>("Tavik:Later", "a later version's")));

    // The host's settings come back, and are no custom properties.
    const QStringList summary{QString::fromUtf8("Block ß"), "Subject", "Jo & Co", "kw1, kw2", "two\nlines", "Tavik"};
    for (int k = 0; k < 6; ++k)
        again->SetSummaryInfo(k, summary[k]);
    EXPECT_TRUE(again->SetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity, 7800.5));
    again->SetLengthUnit(8); // microns: no unit system of FreeCAD's shows them, so MKS stays
    EXPECT_TRUE(again->SetTitle2("Shown.FCStd"));
    EXPECT_TRUE(again->addAttribute({"TavikAttribute", "pub_Tavik", {{"USE_CONFIGS", 1}, {"USE_FRAME", 2.5}}, {}, {}}));
    again->save();
    again = reopen(path);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(again->SummaryInfo(k), summary[k]) << k;
    EXPECT_EQ(again->GetUserPreferenceDoubleValue(sw::swMaterialPropertyDensity), 7800.5);
    EXPECT_EQ(again->LengthUnit(), 8);
    EXPECT_EQ(again->GetTitle(), "Shown.FCStd");
    EXPECT_EQ(again->GetCustomInfoNames2("").size(), 4);
    ASSERT_TRUE(again->attribute("TavikAttribute"));
    EXPECT_EQ(again->attribute("TavikAttribute")->parameters,
        (QList<std::pair<QString, double>>{{"USE_CONFIGS", 1}, {"USE_FRAME", 2.5}}));

    EXPECT_EQ(DocumentXml(documentXml(path)).property("UnitSystem")->integer, 1);

    // Where one of FreeCAD's systems shows the unit it takes it, and Meta keeps none: centimetres
    // (Building Euro), feet (Imperial for Civil Eng), millimetres (Standard).
    for (const auto &[unit, system] : {std::pair{1, 4LL}, {4, 7LL}, {0, 0LL}}) {
        again->SetLengthUnit(unit);
        again->save();
        EXPECT_EQ(DocumentXml(documentXml(path)).property("UnitSystem")->integer, system) << unit;
        EXPECT_FALSE(documentXml(path).contains("Tavik:LengthUnit")) << unit;
        EXPECT_EQ(reopen(path)->LengthUnit(), unit);
    }
}

TEST_F(FreeCadDocumentTest, ASaveThatCannotBeWrittenIsRefused)
{
    const QString path = sample("Block.FCStd");
    const QByteArray original = readFile(path);
    auto doc = app->openDocument(path);

    // A value that FreeCAD could not read back is refused, naming the file.
    EXPECT_TRUE(doc->AddCustomInfo3("", "Bad", 30, QStringLiteral("a\x01z")));
    EXPECT_EQ(faultOf([&] { doc->save(); }),
        path + ": the value of Meta key \"Bad\" holds a character that a FreeCAD file cannot hold (U+0001)");
    EXPECT_EQ(readFile(path), original);
    EXPECT_TRUE(doc->DeleteCustomInfo2("", "Bad") && doc->AddCustomInfo3("", "Note", 30, "n"));

    // A FreeCAD document is saved as one only; a document of the host's own is never one. (A
    // write that breaks off leaves the old file, as for every format: the document file tests.)
    EXPECT_NE(doc->SaveAs2("Block.sldprt", 0, false, false), 0);
    EXPECT_EQ(doc->SaveAs2("Copy.fcstd", 0, true, false), 0);
    EXPECT_EQ(reopen(dir.filePath("Copy.fcstd"))->CustomInfo2("", "Note"), "n");
    EXPECT_NE(app->newDocument(sw::swDocPART)->SaveAs2(dir.filePath("Own.FCStd"), 0, false, false), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Block.FCStd", "Copy.fcstd"}));
}

TEST_F(FreeCadDocumentTest, BadFilesAreRefusedAndLeftAsTheyWere)
{
    const QByteArray block = readFile(Samples + "Block.FCStd");
    const QByteArray brokenXml
        = "<?xml version='1.0' encoding='utf-8'?>\n<Document>\n<Properties Count=\"0\">\n</Document>\n";
    const std::initializer_list<std::tuple<const char *, QByteArray, QString>> cases{
        {"Truncated.FCStd", block.left(block.size() / 2), "the file is not a readable zip archive (Not a zip archive)"},
        {"NoDocument.FCStd", zipMaker::make({{"PartShape.brp", "shape"}}),
            "the zip archive holds no Document.xml, so it is not a FreeCAD document"},
        {"Broken.FCStd", zipMaker::make({{"Document.xml", brokenXml}}),
            "Document.xml is not well-formed XML (line 4: Opening and ending tag mismatch: Properties line 3 and "
            "Document)"},
        {"Climbing.FCStd", zipMaker::make({{"Document.xml", "<Document/>"}, {"../PartShape.brp", "shape"}}),
            "the zip archive holds an entry named \"../PartShape.brp\", which points outside the archive"},
        {"Bomb.FCStd", zipMaker::make({{"Document.xml", QByteArray((qsizetype(128) << 20) + 1, '\0')}}),
            "the zip archive's entry \"Document.xml\" inflates to more than 128 MiB"},
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
        EXPECT_EQ(faultOf([&] { reopen(path); }), path + ": " + fault);
        EXPECT_EQ(readFile(path), bytes) << name;
    }
}
