// FreeCAD's Document.xml: the document's properties and objects as read, the shapes that make the
// part, edits that touch only their own properties, and what is refused.

#include "freecad/document_content.h"
#include "freecad/document_xml.h"
#include "freecad/fcstd_archive.h"
#include "freecad/fcstd_error.h"
#include "freecad/freecad_units.h"
#include "scratch_base.h"

using namespace tavik;

namespace {

DocumentXml sampleXml(const char *name)
{
    FcstdArchive archive(readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/") + QLatin1String(name)));
    return DocumentXml(archive.read("Document.xml"));
}

// A small document in FreeCAD's layout: its properties, then the objects given as
// (type, name, shape entry, visible, the objects it uses).
struct Obj {
    const char *type;
    const char *name;
    const char *shape;
    bool visible;
    QStringList uses;
};

QByteArray documentText(const QByteArray &properties, int count, const QList<Obj> &objects = {})
{
    QByteArray deps, list, data;
    for (const Obj &o : objects) {
        deps += QStringLiteral("        <ObjectDeps Name=\"%1\" Count=\"%2\">\n").arg(o.name).arg(o.uses.size()).toUtf8();
        for (const QString &u : o.uses)
            deps += "            <Dep Name=\"" + u.toUtf8() + "\"/>\n";
        deps += "        </ObjectDeps>\n";
        list += QStringLiteral("        <Object type=\"%1\" name=\"%2\" id=\"1\" />\n").arg(o.type, o.name).toUtf8();
        data += QStringLiteral("        <Object name=\"%1\">\n            <Properties Count=\"2\">\n").arg(o.name).toUtf8();
        if (*o.shape)
            data += QStringLiteral("                <Property name=\"Shape\" type=\"Part::PropertyPartShape\">\n"
                                   "                    <Part file=\"%1\"/>\n                </Property>\n")
                        .arg(o.shape)
                        .toUtf8();
        data += QByteArray("                <Property name=\"Visibility\" type=\"App::PropertyBool\">\n"
                           "                    <Bool value=\"")
            + (o.visible ? "true" : "false") + "\"/>\n                </Property>\n            </Properties>\n        </Object>\n";
    }
    return "<?xml version='1.0' encoding='utf-8'?>\n<Document SchemaVersion=\"4\">\n    <Properties Count=\""
        + QByteArray::number(count) + "\" TransientCount=\"0\">\n" + properties + "    </Properties>\n    <Objects Count=\""
        + QByteArray::number(objects.size()) + "\" Dependencies=\"1\">\n" + deps + list + "    </Objects>\n"
        + "    <ObjectData Count=\"" + QByteArray::number(objects.size()) + "\">\n" + data + "    </ObjectData>\n</Document>\n";
}

const QByteArray labelProperty = "        <Property name=\"Label\" type=\"App::PropertyString\" status=\"1\">\n"
                                 "            <String value=\"Part\"/>\n        </Property>\n";
const QByteArray unitProperty = "        <Property name=\"UnitSystem\" type=\"App::PropertyEnumeration\">\n"
                                "            <Integer value=\"1\" CustomEnum=\"true\"/>\n"
                                "            <CustomEnumList count=\"1\">\n"
                                "                <Enum value=\"MKS (m, kg, s, degree)\"/>\n"
                                "            </CustomEnumList>\n        </Property>\n";

QString faultOf(const QByteArray &xml)
{
    try {
        DocumentXml doc(xml);
    } catch (const FcstdError &e) {
        return e.fault;
    }
    return QStringLiteral("(accepted)");
}

} // namespace

TEST(DocumentXml, ReadsTheSamplesAndChoosesTheShapesThatMakeThePart)
{
    const DocumentXml block = sampleXml("Block.FCStd");
    EXPECT_EQ(block.property("Label")->text, "Block");
    EXPECT_EQ(block.property("CreatedBy")->text, QString::fromUtf8("Anna Weiß"));
    EXPECT_EQ(block.property("Meta")->items,
        FreeCadItems({{"Description", "BLOCK"}, {"PartNo", "FC-100"}, {"Supplier", QString::fromUtf8("Müller & Söhne")},
            {"Workshop", QString::fromUtf8("Halle 3 – Süd")}}));
    EXPECT_EQ(block.property("Material")->items, FreeCadItems({{"Density", "2700 kg/m^3"}}));
    EXPECT_EQ(block.property("UnitSystem"), nullptr);
    EXPECT_EQ(partShapeEntries(block.objects()), QStringList({"PartShape.brp", "PartShape1.brp", "PartShape2.brp"}));
    EXPECT_FALSE(isAssembly(block.objects()));

    // The cut uses the plate and the drill: only the cut is the part.
    const DocumentXml flange = sampleXml("Flange.FCStd");
    EXPECT_EQ(flange.objects()[2].dependencies, QStringList({"Plate", "Drill"}));
    EXPECT_EQ(partShapeEntries(flange.objects()), QStringList({"PartShape2.brp"}));
    EXPECT_FALSE(isAssembly(flange.objects()));

    const DocumentXml stand = sampleXml("Stand.FCStd");
    EXPECT_TRUE(partShapeEntries(stand.objects()).isEmpty());
    EXPECT_TRUE(isAssembly(stand.objects())) << "its links name other files";

    // Hidden objects do not count; a group without a shape of its own consumes nothing.
    const DocumentXml grouped(documentText(labelProperty, 1,
        {{"Part::Box", "Box", "Box.brp", true, {}}, {"Part::Sphere", "Hidden", "Hidden.brp", false, {}},
            {"App::DocumentObjectGroup", "Group", "", true, {"Box", "Hidden"}},
            {"Part::Cylinder", "Tool", "Tool.brp", true, {}}, {"Part::Cut", "Cut", "Cut.brp", true, {"Tool"}}}));
    EXPECT_EQ(partShapeEntries(grouped.objects()), QStringList({"Box.brp", "Cut.brp"}));
    EXPECT_FALSE(isAssembly(grouped.objects()));
    EXPECT_TRUE(isAssembly(DocumentXml(documentText(labelProperty, 1, {{"Assembly::AssemblyObject", "A", "", true, {}}})).objects()));
}

TEST(DocumentXml, EditsChangeOnlyTheirOwnProperties)
{
    const QByteArray meta = "        <Property name=\"Meta\" type=\"App::PropertyMap\" status=\"1\">\n"
                            "            <Map count=\"1\">\n                <Item key=\"A\" value=\"1\"/>\n"
                            "            </Map>\n        </Property>\n";
    const QByteArray original = documentText(labelProperty + meta + unitProperty, 3, {{"Part::Box", "Box", "Box.brp", true, {}}});
    DocumentXml doc(original);
    EXPECT_EQ(doc.bytes(), original) << "no edit, no change";
    EXPECT_EQ(doc.property("UnitSystem")->integer, 1);

    const QString odd = QString::fromUtf8("a&b<c>d\"e'f\nline\r\n\ttab ß 😀");
    doc.setString("Label", odd);
    const FreeCadItems items = {{"Z", odd}, {"A", ""}, {"Long", QString(100000, QLatin1Char('x'))}};
    doc.setMap("Meta", items);
    doc.setEnumeration("UnitSystem", 4);
    const QByteArray written = doc.bytes();
    const DocumentXml again(written);
    EXPECT_EQ(again.property("Label")->text, odd);
    EXPECT_EQ(again.property("Meta")->items, items);
    EXPECT_EQ(again.property("UnitSystem")->integer, 4);
    EXPECT_TRUE(written.contains("<String value=\"a&amp;b&lt;c&gt;d&quot;e&apos;f&#10;line&#13;&#10;&#9;tab"));
    EXPECT_TRUE(written.contains("            <Map count=\"3\">\n                <Item key=\"Z\" value=\"a&amp;"));
    // Everything outside the three edits is as it was.
    const qsizetype head = original.indexOf("<String value=\"Part\"") + 15;
    EXPECT_EQ(written.left(head), original.left(head));
    const qsizetype tail = original.size() - original.indexOf("\" CustomEnum=\"true\"/>");
    EXPECT_EQ(written.right(tail), original.right(tail));
    EXPECT_EQ(written.count("</Property>"), original.count("</Property>"));

    // A property the document lacks is added as FreeCAD writes it, and counted.
    DocumentXml bare(documentText(labelProperty, 1));
    bare.setMap("Material", {{"Density", "7850 kg/m^3"}});
    bare.setString("Comment", "new");
    const QByteArray added = bare.bytes();
    EXPECT_TRUE(added.contains("    <Properties Count=\"3\" TransientCount=\"0\">\n" + labelProperty
        + "        <Property name=\"Material\" type=\"App::PropertyMap\">\n            <Map count=\"1\">\n"
          "                <Item key=\"Density\" value=\"7850 kg/m^3\"/>\n            </Map>\n        </Property>\n"
          "        <Property name=\"Comment\" type=\"App::PropertyString\">\n"
          "            <String value=\"new\"/>\n        </Property>\n    </Properties>\n"))
        << added.toStdString();
    EXPECT_EQ(DocumentXml(added).property("Comment")->text, "new");

    // Values an XML file cannot hold are refused, not written changed.
    try {
        doc.setMap("Meta", {{"PartNo", QStringLiteral("a\x01z")}});
        ADD_FAILURE() << "a control character was taken";
    } catch (const FcstdError &e) {
        EXPECT_EQ(e.fault, "the value of Meta key \"PartNo\" holds a character that a FreeCAD file cannot hold (U+0001)");
    }
    EXPECT_THROW(doc.setString("Label", QString(QChar(0xD800))), FcstdError);
    try {
        doc.setString("Comment", QString(9999999, QLatin1Char('x')) + QLatin1Char('&'));
        ADD_FAILURE() << "a value too long to read back was taken";
    } catch (const FcstdError &e) {
        EXPECT_EQ(e.fault, "the document's Comment is too long: Tavik reads values of at most 10000000 bytes from a "
                           "FreeCAD file");
    }
    doc.setString("Comment", QString(10000000, QLatin1Char('x')));
    EXPECT_EQ(DocumentXml(doc.bytes()).property("Comment")->text.size(), 10000000) << "the longest value reads back";
    EXPECT_THROW(doc.setMap("Label", {}), FcstdError) << "a text property is not a map";
    EXPECT_THROW(bare.setEnumeration("UnitSystem", 1), FcstdError) << "the document has no unit system";
    EXPECT_EQ(unwritableCharacter(QString::fromUtf8("tab\tline\n😀")), std::nullopt);
}

TEST(DocumentXml, RefusesWhatIsNotAFreeCadDocument)
{
    EXPECT_TRUE(faultOf("<Document><Properties></Document>").startsWith("Document.xml is not well-formed XML (line 1: "));
    EXPECT_EQ(faultOf("<?xml version='1.0'?>\n<!DOCTYPE Document [<!ENTITY e \"x\">]>\n<Document/>"),
        "Document.xml holds a document type declaration, which FreeCAD never writes");
    EXPECT_EQ(faultOf("<Project/>"), "Document.xml is not a FreeCAD document: its document element is <Project>, not <Document>");
    EXPECT_EQ(faultOf("<?xml version='1.0' encoding='ISO-8859-1'?>\n<Document/>"),
        "Document.xml is written in ISO-8859-1; FreeCAD writes UTF-8");
    const QByteArray miscounted = "        <Property name=\"Meta\" type=\"App::PropertyMap\">\n            <Map count=\"2\">\n"
                                  "                <Item key=\"A\" value=\"1\"/>\n            </Map>\n        </Property>\n";
    EXPECT_EQ(faultOf(documentText(miscounted, 1)),
        "Document.xml: the document's property \"Meta\" (App::PropertyMap) says it holds 2 items but holds 1");
    QByteArray twice = miscounted;
    twice.replace("count=\"2\">\n", "count=\"2\">\n                <Item key=\"A\" value=\"2\"/>\n");
    EXPECT_EQ(faultOf(documentText(twice, 1)),
        "Document.xml: the document's property \"Meta\" (App::PropertyMap) holds the key \"A\" twice");
    EXPECT_EQ(faultOf(documentText(labelProperty + labelProperty, 2)),
        "Document.xml: the document's property \"Label\" is given twice");
}

TEST(FreeCadUnits, DensitiesAndUnitSystems)
{
    EXPECT_EQ(densityFromText("7850 kg/m^3"), 7850.0);
    EXPECT_DOUBLE_EQ(*densityFromText("2.7 g/cm^3"), 2700.0);
    EXPECT_DOUBLE_EQ(*densityFromText(QString::fromUtf8(" 7.85e3 kg/m³ ")), 7850.0);
    EXPECT_NEAR(*densityFromText("1 lb/in^3"), 27679.9047, 1e-3);
    EXPECT_EQ(densityFromText("1000"), 1000.0);
    for (const char *bad : {"", "steel", "-5 kg/m^3", "7850 kg", "7850 kg/m^2", "1e999 kg/m^3"})
        EXPECT_EQ(densityFromText(bad), std::nullopt) << bad;
    EXPECT_EQ(densityText(7850), "7850 kg/m^3");
    EXPECT_EQ(densityText(2700.25), "2700.25 kg/m^3");
    EXPECT_EQ(densityFromText(densityText(1.0 / 3)), 1.0 / 3);

    EXPECT_EQ(unitSystemLength(0), "mm");
    EXPECT_EQ(unitSystemLength(5), "ft-in");
    EXPECT_EQ(unitSystemLength(10), "");
    EXPECT_EQ(unitSystemFor("cm"), 4);
    EXPECT_EQ(unitSystemFor("ft"), 7);
    EXPECT_EQ(unitSystemFor("nm"), std::nullopt);
}
