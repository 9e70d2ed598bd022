// FreeCAD's Document.xml: the shapes that make the part, edits that touch only their own
// properties, and what is refused.

#include "freecad/document_content.h"
#include "freecad/document_xml.h"
#include "freecad/fcstd_error.h"
#include "freecad/freecad_units.h"

#include <functional>
#include <gtest/gtest.h>

using namespace tavik;

namespace {

// A small document in FreeCAD's layout: its properties, then objects given as
// (type, name, shape entry or "", visible, the objects it uses).
struct Obj {
    const char *type, *name, *shape;
    bool visible;
    QStringList uses;
};

QByteArray documentText(const QByteArray &properties, int count, const QList<Obj> &objects = {})
{
    QByteArray deps, list, data;
    for (const Obj &o : objects) {
        deps += QStringLiteral("<ObjectDeps Name=\"%1\" Count=\"%2\">\n").arg(o.name).arg(o.uses.size()).toUtf8();
        for (const QString &u : o.uses)
            deps += "<Dep Name=\"" + u.toUtf8() + "\"/>\n";
        deps += "</ObjectDeps>\n";
        list += QStringLiteral("<Object type=\"%1\" name=\"%2\" id=\"1\" />\n").arg(o.type, o.name).toUtf8();
        data += QStringLiteral("<Object name=\"%1\">\n<Properties Count=\"2\">\n").arg(o.name).toUtf8();
        if (*o.shape)
            data += QStringLiteral("<Property name=\"Shape\" type=\"Part::PropertyPartShape\">\n<Part file=\"%1\"/>\n"
                                   "</Property>\n")
                        .arg(o.shape)
                        .toUtf8();
        data += QByteArray("<Property name=\"Visibility\" type=\"App::PropertyBool\">\n<Bool value=\"")
            + (o.visible ? "true" : "false") + "\"/>\n</Property>\n</Properties>\n</Object>\n";
    }
    const QByteArray n = QByteArray::number(objects.size());
    return "<?xml version='1.0' encoding='utf-8'?>\n<Document SchemaVersion=\"4\">\n    <Properties Count=\""
        + QByteArray::number(count) + "\" TransientCount=\"0\">\n" + properties + "    </Properties>\n<Objects Count=\""
        + n + "\" Dependencies=\"1\">\n" + deps + list + "</Objects>\n<ObjectData Count=\"" + n + "\">\n" + data
        + "</ObjectData>\n</Document>\n";
}

const QByteArray labelProperty = "        <Property name=\"Label\" type=\"App::PropertyString\" status=\"1\">\n"
                                 "            <String value=\"Part\"/>\n        </Property>\n";

QString faultOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const FcstdError &e) {
        return e.fault;
    }
    return QStringLiteral("(accepted)");
}

} // namespace

TEST(DocumentXml, ThePartIsMadeOfTheVisibleShapesNoOtherUses)
{
    // Hidden objects do not count; the cut uses the tool; a group without a shape consumes nothing.
    const DocumentXml grouped(documentText(labelProperty, 1,
        {{"Part::Box", "Box", "Box.brp", true, {}}, {"Part::Sphere", "Hidden", "Hidden.brp", false, {}},
            {"App::DocumentObjectGroup", "Group", "", true, {"Box", "Hidden"}},
            {"Part::Cylinder", "Tool", "Tool.brp", true, {}}, {"Part::Cut", "Cut", "Cut.brp", true, {"Tool"}}}));
    EXPECT_EQ(grouped.objects()[4].dependencies, QStringList({"Tool"}));
    EXPECT_EQ(partShapeEntries(grouped.objects()), QStringList({"Box.brp", "Cut.brp"}));
    EXPECT_FALSE(isAssembly(grouped.objects()));
    EXPECT_TRUE(isAssembly(
        DocumentXml(documentText(labelProperty, 1, {{"Assembly::AssemblyObject", "A", "", true, {}}})).objects()));
}

TEST(DocumentXml, EditsChangeOnlyTheirOwnProperties)
{
    const QByteArray meta = "        <Property name=\"Meta\" type=\"App::PropertyMap\" status=\"1\">\n"
                            "            <Map count=\"1\">\n                <Item key=\"A\" value=\"1\"/>\n"
                            "            </Map>\n        </Property>\n";
    const QByteArray unitSystem = "        <Property name=\"UnitSystem\" type=\"App::PropertyEnumeration\">\n"
                                  "            <Integer value=\"1\" CustomEnum=\"true\"/>\n        </Property>\n";
    const QByteArray original
        = documentText(labelProperty + meta + unitSystem, 3, {{"Part::Box", "Box", "Box.brp", true, {}}});
    DocumentXml doc(original);
    EXPECT_EQ(doc.bytes(), original) << "no edit, no change";

    const QString odd = QString::fromUtf8("a&b<c>d\"e'f\nline\r\n\ttab ß 😀");
    const FreeCadItems items = {{"Z", odd}, {"A", ""}, {"Long", QString(100000, QLatin1Char('x'))}};
    doc.setString("Label", odd);
    doc.setMap("Meta", items);
    doc.setEnumeration("UnitSystem", 4);
    const QByteArray written = doc.bytes();
    const DocumentXml again(written);
    EXPECT_EQ(again.property("Label")->text, odd);
    EXPECT_EQ(again.property("Meta")->items, items);
    EXPECT_EQ(again.property("UnitSystem")->integer, 4);
    EXPECT_TRUE(written.contains("<String value=\"a&amp;b&lt;c&gt;d&quot;e&apos;f&#10;line&#13;&#10;&#9;tab"));
    // Everything outside the three edits is as it was.
    const qsizetype head = original.indexOf("<String value=\"Part\"") + 15;
    EXPECT_EQ(written.left(head), original.left(head));
    const qsizetype tail = original.size() - original.indexOf("\" CustomEnum=\"true\"/>");
    EXPECT_EQ(written.right(tail), original.right(tail));

    // A property the document lacks is added, and counted.
    DocumentXml bare(documentText(labelProperty, 1));
    bare.setMap("Material", {{"Density", "7850 kg/m^3"}});
    EXPECT_TRUE(bare.bytes().contains("<Properties Count=\"2\" TransientCount=\"0\">\n" + labelProperty
        + "        <Property name=\"Material\" type=\"App::PropertyMap\">\n"));
    EXPECT_EQ(DocumentXml(bare.bytes()).property("Material")->items, FreeCadItems({{"Density", "7850 kg/m^3"}}));

    // Values an XML file cannot hold, or too long to read back, are refused, not written changed.
    EXPECT_EQ(faultOf([&] {
        doc.setMap("Meta", {{"PartNo", QStringLiteral("a\x01z")}});
    }),
        "the value of Meta key \"PartNo\" holds a character that a FreeCAD file cannot hold (U+0001)");
    EXPECT_NE(faultOf([&] { doc.setString("Label", QString(QChar(0xD800))); }), "(accepted)");
    EXPECT_EQ(faultOf([&] { doc.setString("Comment", QString(9999999, QLatin1Char('x')) + QLatin1Char('&')); }),
        "the document's Comment is too long: Tavik reads values of at most 10000000 bytes from a FreeCAD file");
    EXPECT_NE(faultOf([&] { doc.setMap("Label", {}); }), "(accepted)") << "a text property is not a map";
    EXPECT_NE(faultOf([&] { bare.setEnumeration("UnitSystem", 1); }), "(accepted)") << "no unit system";
}

TEST(DocumentXml, RefusesWhatIsNotAFreeCadDocument)
{
    const QByteArray miscounted = "<Property name=\"Meta\" type=\"App::PropertyMap\">\n<Map count=\"2\">\n"
                                  "<Item key=\"A\" value=\"1\"/>\n</Map>\n</Property>\n";
    QByteArray twice = miscounted;
    twice.replace("count=\"2\">\n", "count=\"2\">\n<Item key=\"A\" value=\"2\"/>\n");
    const std::pair<QByteArray, QString> cases[] = {
        {"<Document><Properties></Document>", "Document.xml is not well-formed XML (line 1: "},
        {"<?xml version='1.0'?>\n<!DOCTYPE Document [<!ENTITY e \"x\">]>\n<Document/>",
            "Document.xml holds a document type declaration, which FreeCAD never writes"},
        {"<Project/>", "Document.xml is not a FreeCAD document: its document element is <Project>, not <Document>"},
        {"<?xml version='1.0' encoding='ISO-8859-1'?>\n<Document/>",
            "Document.xml is written in ISO-8859-1; FreeCAD writes UTF-8"},
        {documentText(miscounted, 1),
            "Document.xml: the document's property \"Meta\" (App::PropertyMap) says it holds 2 items but holds 1"},
        {documentText(twice, 1),
            "Document.xml: the document's property \"Meta\" (App::PropertyMap) holds the key \"A\" twice"},
        {documentText(labelProperty + labelProperty, 2),
            "Document.xml: the document's property \"Label\" is given twice"},
    };
    for (const auto &[xml, fault] : cases)
        EXPECT_TRUE(faultOf([&] { DocumentXml doc(xml); }).startsWith(fault)) << fault.toStdString();
}

TEST(FreeCadUnits, DensitiesInTheirUnits)
{
    const std::pair<const char *, double> densities[] = {{"7850 kg/m^3", 7850}, {"2.7 g/cm^3", 2700},
        {" 7.85e3 kg/m³ ", 7850}, {"1 lb/in^3", 27679.9047}, {"1000", 1000}};
    for (const auto &[text, density] : densities)
        EXPECT_NEAR(densityFromText(QString::fromUtf8(text)).value_or(-1), density, 1e-3) << text;
    for (const char *bad : {"", "steel", "-5 kg/m^3", "7850 kg", "7850 kg/m^2", "1e999 kg/m^3"})
        EXPECT_EQ(densityFromText(bad), std::nullopt) << bad;
    EXPECT_EQ(densityFromText(densityText(1.0 / 3)), 1.0 / 3);
}
