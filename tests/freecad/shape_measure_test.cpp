// The measures of shapes stored as FreeCAD stores them: figures whose volume, area and centre are
// known exactly, several entries together, entries without solids, binary entries, and entries
// that cannot be read.

#include "freecad/shape_measure.h"
#include "platform/runtime_error.h"

#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BinTools.hxx>
#include <BinTools_ShapeSet.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <tuple>

using namespace tavik;

namespace {

constexpr double Pi = std::numbers::pi;

using Entries = std::vector<std::pair<QString, QByteArray>>;

QByteArray text(const TopoDS_Shape &shape)
{
    std::ostringstream out;
    BRepTools::Write(shape, out);
    return QByteArray::fromStdString(out.str());
}

// Binary as FreeCAD writes it: the shape set's tables, then the shape's index, its location's
// index and its orientation.
QByteArray freeCadBinary(const TopoDS_Shape &shape)
{
    std::ostringstream out;
    BinTools_ShapeSet set;
    Standard_Integer index = -1, location = -1, orientation = -1;
    if (!shape.IsNull()) {
        index = set.Add(shape);
        location = set.Locations().Index(shape.Location());
        orientation = shape.Orientation();
    }
    set.Write(out);
    for (const Standard_Integer value : {index, location, orientation})
        BinTools::PutInteger(out, value);
    return QByteArray::fromStdString(out.str());
}

// The shape turned about axis through the origin, then moved, as a FreeCAD placement moves it:
// through the shape's location.
TopoDS_Shape placed(const TopoDS_Shape &shape, gp_Vec translation, gp_Dir axis = gp::DZ(), double degrees = 0)
{
    gp_Trsf rotation, move;
    rotation.SetRotation(gp_Ax1(gp::Origin(), axis), degrees * Pi / 180);
    move.SetTranslation(translation);
    return shape.Moved(TopLoc_Location(move * rotation));
}

TopoDS_Shape box(double x, double y, double z)
{
    return BRepPrimAPI_MakeBox(x, y, z).Shape();
}

TopoDS_Shape compound(std::initializer_list<TopoDS_Shape> parts)
{
    BRep_Builder builder;
    TopoDS_Compound result;
    builder.MakeCompound(result);
    for (const TopoDS_Shape &part : parts)
        builder.Add(result, part);
    return result;
}

void expectMeasure(const ShapeMeasure &m, const ShapeMeasure &expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(m.volume, expected.volume, tolerance * std::abs(expected.volume));
    EXPECT_NEAR(m.area, expected.area, tolerance * std::abs(expected.area));
    const double scale = std::max(1.0, std::cbrt(std::abs(expected.volume)));
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(m.centreOfMass[axis], expected.centreOfMass[axis], tolerance * scale) << "axis " << axis;
}

// The error measuring entries throws, or "" when none is thrown.
QString errorOf(const Entries &entries)
{
    try {
        measureSolids(entries);
    } catch (const RuntimeError &e) {
        return e.description;
    }
    return {};
}

} // namespace

TEST(ShapeMeasure, EntriesAddUpAndShapesWithoutSolidsAddNothing)
{
    // A box moved in one entry, a compound of two in another (after another writer's heading), and
    // entries without solids: a face, an empty entry, a stored null shape. Volumes and areas add
    // up, centres follow the shapes' locations and weigh by volume.
    const Entries entries = {{"A.brp", text(placed(box(10, 10, 10), gp_Vec(0, 0, -5)))}, // 1000 at (5,5,0)
        {"Sheet.brp", text(BRepBuilderAPI_MakeFace(gp_Pln(gp::XOY()), 0, 50, 0, 50).Shape())}, {"Empty.brp", {}},
        {"Null.brp", text(TopoDS_Shape())},
        {"B.brp",
            "DBRep_DrawableShape\n"
                + text(compound(
                    {placed(box(10, 10, 10), gp_Vec(100, 0, 0)), placed(box(20, 10, 10), gp_Vec(0, 100, 0))}))}};
    expectMeasure(
        measureSolids(entries), {4000, 600 + 600 + 1000, {(5 + 105 + 2 * 10) / 4.0, (5 + 5 + 2 * 105) / 4.0, 3.75}});
    const ShapeMeasure zero = measureSolids(Entries(entries.begin() + 1, entries.end() - 1));
    EXPECT_TRUE(zero.volume == 0 && zero.area == 0 && zero.centreOfMass == (std::array<double, 3>{}));
}

TEST(ShapeMeasure, BinaryEntriesMeasureAsTextOnes)
{
    const TopoDS_Shape parts = compound({placed(box(10, 20, 30), gp_Vec(0, 0, 50)),
        placed(BRepPrimAPI_MakeTorus(20, 4).Shape(), gp_Vec(-5, 1, 7), gp_Dir(1, 0, 1), 40)});
    const ShapeMeasure reference = measureSolids({{"Parts.brp", text(parts)}});
    ASSERT_GT(reference.volume, 6000);

    // FreeCAD's layout, and OpenCASCADE's own newer format; whatever the entry is called.
    std::ostringstream newer;
    BinTools::Write(parts, newer, Standard_True, Standard_False, BinTools_FormatVersion_VERSION_4);
    for (const auto &[name, bytes] : Entries{{"Parts.bin", freeCadBinary(parts)}, {"Parts.brp", freeCadBinary(parts)},
             {"Newer.bin", QByteArray::fromStdString(newer.str())}})
        expectMeasure(measureSolids({{name, bytes}}), reference, 1e-12);
    EXPECT_EQ(measureSolids({{"Null.bin", freeCadBinary(TopoDS_Shape())}}).volume, 0);

    // All four orientations are sound, at the top and below; a fifth is damage. The compound's
    // one reference (an orientation byte and two integers) is the last thing before its end
    // mark "*" and FreeCAD's three integers.
    const TopoDS_Shape point = BRepBuilderAPI_MakeVertex(gp_Pnt(1, 2, 3)).Shape().Oriented(TopAbs_EXTERNAL);
    QByteArray outside = freeCadBinary(compound({point}).Oriented(TopAbs_EXTERNAL));
    EXPECT_EQ(measureSolids({{"Outside.bin", outside}}).volume, 0);
    const qsizetype orientation = outside.size() - 12 - 1 - 8 - 1;
    ASSERT_EQ(outside[orientation], char(TopAbs_EXTERNAL));
    outside[orientation] = 5;
    EXPECT_EQ(errorOf({{"Outside.bin", outside}}),
        "The shape Outside.bin cannot be read: a sub-shape's orientation is damaged");

    // An entry FreeCAD 0.20 wrote: a sphere of radius 7.5 placed at (3, -4, 5) and turned.
    QFile ball(QStringLiteral(TAVIK_SOURCE_DIR "/tests/freecad/data/Ball.bin"));
    ASSERT_TRUE(ball.open(QIODevice::ReadOnly));
    expectMeasure(measureSolids({{"PartShape.bin", ball.readAll()}}), {Pi * 562.5, Pi * 225, {3, -4, 5}});
}

TEST(ShapeMeasure, EntriesThatCannotBeReadAreNamed)
{
    const QByteArray good = text(box(1, 2, 3));
    const QByteArray binary = freeCadBinary(box(1, 2, 3));
    QByteArray noise;
    for (int i = 0; i < 3000; ++i)
        noise += char((i * 7919 + 13) % 251);
    // A table that claims a billion items: the reader must stop at the end of the bytes.
    const QByteArray endless = QByteArray(good).replace("Curve2ds 24", "Curve2ds 999999999");
    const QByteArray spoilt = QByteArray(good).replace("Surfaces", "Sourfaces");

    // Each with the reason (or, where OpenCASCADE gives it, some reason), also when a sound entry
    // comes first.
    const QString notAShape = "it is not an OpenCASCADE shape", cutShort = "it is damaged or cut short";
    const std::tuple<QString, QByteArray, QString> bad[] = {{"PartShape3.brp", noise, notAShape},
        {"Junk.bin", noise, notAShape}, {"Text.brp", "hello\nworld\n", notAShape},
        {"Cut.brp", good.left(good.size() / 2), ""}, {"Cut.bin", binary.left(binary.size() / 2), cutShort},
        {"Endless.brp", endless, cutShort}, {"Spoilt.brp", spoilt, "it is damaged: its tables end too early"}};
    testing::internal::CaptureStdout();
    for (const auto &[name, bytes, reason] : bad) {
        const QString error = errorOf({{"Sound.brp", good}, {name, bytes}});
        const QString lead = "The shape " + name + " cannot be read: ";
        EXPECT_TRUE(error.startsWith(lead) && error.size() > lead.size()) << error.toStdString();
        EXPECT_TRUE(reason.isEmpty() || error == lead + reason) << error.toStdString();
    }
    // A sound entry after a bad one is never reached; the bad one is named.
    EXPECT_TRUE(errorOf({{"Junk.bin", noise}, {"Sound.brp", good}}).startsWith("The shape Junk.bin "));
    // The readers' complaints do not reach the caller's standard output, which may be a transcript.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
