// The measures of shapes stored as FreeCAD stores them: figures whose volume, area and centre are
// known exactly, several entries together, entries without solids, binary entries, the sample
// documents, and entries that cannot be read.

#include "fcstd_reading.h"
#include "freecad/shape_measure.h"
#include "platform/runtime_error.h"

#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BinTools.hxx>
#include <BinTools_ShapeSet.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Ax2.hxx>
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
    BinTools::PutInteger(out, index);
    BinTools::PutInteger(out, location);
    BinTools::PutInteger(out, orientation);
    return QByteArray::fromStdString(out.str());
}

QByteArray occtBinary(const TopoDS_Shape &shape, BinTools_FormatVersion version)
{
    std::ostringstream out;
    BinTools::Write(shape, out, Standard_True, Standard_False, version);
    return QByteArray::fromStdString(out.str());
}

// The shape moved by a rotation about axis through the origin, then a translation, as a
// FreeCAD placement moves it: through the shape's location.
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

void expectMeasure(
    const ShapeMeasure &m, double volume, double area, std::array<double, 3> centre, double tolerance = 1e-9)
{
    EXPECT_NEAR(m.volume, volume, tolerance * std::abs(volume));
    EXPECT_NEAR(m.area, area, tolerance * std::abs(area));
    const double scale = std::max(1.0, std::cbrt(std::abs(volume)));
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(m.centreOfMass[axis], centre[axis], tolerance * scale) << "axis " << axis;
}

QString sample(const char *name)
{
    return QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/") + name;
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

TEST(ShapeMeasure, FiguresMeasureAsGeometrySays)
{
    // A box moved off the origin: the centre follows the shape's location.
    expectMeasure(measureSolids({{"Box.brp", text(placed(box(10, 20, 30), gp_Vec(100, -50, 7)))}}), 6000,
        2 * (200 + 600 + 300), {105, -40, 22});

    // A sphere turned and moved: only the move shows.
    const double r = 7.5;
    const TopoDS_Shape sphere = placed(BRepPrimAPI_MakeSphere(r).Shape(), gp_Vec(3, -4, 5), gp_Dir(1, 1, 0), 33);
    expectMeasure(measureSolids({{"Sphere.brp", text(sphere)}}), 4 * Pi * r * r * r / 3, 4 * Pi * r * r, {3, -4, 5});

    // A torus tilted: volume 2π²Rr², area 4π²Rr, centre where its axis meets its plane.
    const TopoDS_Shape torus
        = placed(BRepPrimAPI_MakeTorus(20, 4).Shape(), gp_Vec(-50, 10, 7), gp_Dir(0.3, 1, 0.2), 71);
    expectMeasure(
        measureSolids({{"Torus.brp", text(torus)}}), 2 * Pi * Pi * 20 * 16, 4 * Pi * Pi * 20 * 4, {-50, 10, 7});

    // Another writer's heading before the tables changes nothing.
    expectMeasure(measureSolids({{"Drawn.brp", "DBRep_DrawableShape\n" + text(sphere)}}), 4 * Pi * r * r * r / 3,
        4 * Pi * r * r, {3, -4, 5});

    // A cylinder lying along x: its centre is half way along its axis.
    const TopoDS_Shape cylinder = BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(1, 2, 3), gp::DX()), 6, 30).Shape();
    expectMeasure(
        measureSolids({{"Pin.brp", text(cylinder)}}), Pi * 36 * 30, 2 * Pi * 6 * 30 + 2 * Pi * 36, {16, 2, 3});
}

TEST(ShapeMeasure, EntriesAddUpAndShapesWithoutSolidsAddNothing)
{
    const TopoDS_Shape block = box(10, 10, 10); // 1000 at (5,5,5)
    const TopoDS_Shape far = placed(box(10, 10, 10), gp_Vec(100, 0, 0)); // 1000 at (105,5,5)
    const TopoDS_Shape big = placed(box(20, 10, 10), gp_Vec(0, 100, 0), gp::DZ(), 0); // 2000 at (10,105,5)
    const TopoDS_Shape sheet = BRepBuilderAPI_MakeFace(gp_Pln(gp::XOY()), 0, 50, 0, 50).Shape();
    TopoDS_Shape shell;
    for (TopExp_Explorer e(box(5, 5, 5), TopAbs_SHELL); e.More(); e.Next())
        shell = e.Current();
    ASSERT_FALSE(shell.IsNull());

    // Two entries and a compound of one more: volumes and areas add up, centres weigh by volume.
    const ShapeMeasure together = measureSolids({{"A.brp", text(block)}, {"B.brp", text(compound({far, big}))}});
    expectMeasure(together, 4000, 600 + 600 + 1000, {(5 + 105 + 2 * 10) / 4.0, (5 + 5 + 2 * 105) / 4.0, 5});

    // A face, a closed shell that is no solid, an empty entry, a stored null shape and a compound
    // of no solids change nothing, in any order.
    const Entries noSolids = {{"Sheet.brp", text(sheet)}, {"Shell.brp", text(shell)}, {"Empty.brp", {}},
        {"Null.brp", text(TopoDS_Shape())}, {"Nothing.brp", text(compound({sheet, shell}))}};
    Entries mixed = noSolids;
    mixed.insert(mixed.begin() + 2, {"A.brp", text(block)});
    mixed.push_back({"B.brp", text(compound({far, big}))});
    expectMeasure(measureSolids(mixed), together.volume, together.area, together.centreOfMass, 1e-12);

    // Without any solid the measure is all zero, the centre too.
    for (const Entries &none : {noSolids, Entries{}}) {
        const ShapeMeasure zero = measureSolids(none);
        EXPECT_EQ(zero.volume, 0);
        EXPECT_EQ(zero.area, 0);
        EXPECT_EQ(zero.centreOfMass, (std::array<double, 3>{0, 0, 0}));
    }
}

TEST(ShapeMeasure, BinaryEntriesMeasureAsTextOnes)
{
    const TopoDS_Shape ring = placed(BRepPrimAPI_MakeTorus(20, 4).Shape(), gp_Vec(-5, 1, 7), gp_Dir(1, 0, 1), 40);
    const TopoDS_Shape parts = compound({placed(box(10, 20, 30), gp_Vec(0, 0, 50)), ring});
    const ShapeMeasure reference = measureSolids({{"Parts.brp", text(parts)}});
    ASSERT_GT(reference.volume, 6000);

    // FreeCAD's layout, OpenCASCADE's own reference after the same tables, and its newer format;
    // whatever the entry is called.
    for (const auto &[name, bytes] : Entries{{"Parts.bin", freeCadBinary(parts)}, {"Parts.brp", freeCadBinary(parts)},
             {"Tables.bin", occtBinary(parts, BinTools_FormatVersion_VERSION_3)},
             {"Newer.bin", occtBinary(parts, BinTools_FormatVersion_VERSION_4)}}) {
        SCOPED_TRACE(name.toStdString());
        expectMeasure(measureSolids({{name, bytes}}), reference.volume, reference.area, reference.centreOfMass, 1e-12);
    }
    // A null shape in FreeCAD's layout adds nothing.
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
    const double r = 7.5;
    expectMeasure(
        measureSolids({{"PartShape.bin", ball.readAll()}}), 4 * Pi * r * r * r / 3, 4 * Pi * r * r, {3, -4, 5});
}

TEST(ShapeMeasure, SampleDocumentsMeasureAsTheirFiguresSay)
{
    // Block: a box 80x40x20 at the origin, a pin r6 h30 at (120, 0, 0), a ball r10 at (0, 100, 0).
    const QString block = sample("Block.FCStd");
    const QMap<QString, QString> entries = shapeEntries(zipEntry(block, "Document.xml"));
    ASSERT_EQ(entries.size(), 3);
    Entries shapes;
    for (const QString &entry : entries)
        shapes.emplace_back(entry, zipEntry(block, entry));
    const double boxV = 80 * 40 * 20, pinV = Pi * 36 * 30, ballV = 4 * Pi * 1000 / 3;
    const double volume = boxV + pinV + ballV;
    expectMeasure(measureSolids(shapes), volume,
        2 * (80 * 40 + 80 * 20 + 40 * 20) + (2 * Pi * 6 * 30 + 2 * Pi * 36) + 4 * Pi * 100,
        {(boxV * 40 + pinV * 120) / volume, (boxV * 20 + ballV * 100) / volume, (boxV * 10 + pinV * 15) / volume});

    // Flange: a plate 100x50x10 with a hole r5 through its middle; only the cut is the part.
    const QString flange = sample("Flange.FCStd");
    const QString cut = shapeEntries(zipEntry(flange, "Document.xml")).value("Flange");
    ASSERT_FALSE(cut.isEmpty());
    expectMeasure(measureSolids({{cut, zipEntry(flange, cut)}}), 50000 - Pi * 25 * 10,
        13000 - 2 * Pi * 25 + 2 * Pi * 5 * 10, {50, 25, 5});
}

TEST(ShapeMeasure, EntriesThatCannotBeReadAreNamed)
{
    const QByteArray good = text(box(1, 2, 3));
    const QByteArray binary = freeCadBinary(box(1, 2, 3));
    auto replaced = [&](const char *from, const char *to) { return QByteArray(good).replace(from, to); };

    // Bytes of no shape at all, whatever they are called.
    QByteArray noise(3000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    // A table that claims a billion items: the reader must stop at the end of the bytes rather
    // than read on for ever.
    const QByteArray endless = replaced("Curve2ds 24", "Curve2ds 999999999");
    ASSERT_NE(endless, good);

    // Each with the reason (or, where OpenCASCADE gives it, some reason).
    const QString notAShape = "it is not an OpenCASCADE shape", cutShort = "it is damaged or cut short";
    const std::vector<std::tuple<QString, QByteArray, QString>> bad
        = {{"PartShape3.brp", noise, notAShape}, {"Junk.bin", noise, notAShape},
            {"Text.brp", "hello\nworld\n", notAShape}, {"Cut.brp", good.left(good.size() / 2), ""},
            {"Cut.bin", binary.left(binary.size() / 2), cutShort}, {"Endless.brp", endless, cutShort},
            {"Spoilt.brp", replaced("Surfaces", "Sourfaces"), "it is damaged: its tables end too early"}};
    for (const auto &[name, bytes, reason] : bad) {
        SCOPED_TRACE(name.toStdString());
        // Also when a sound entry comes first: the error names the entry that failed.
        const QString error = errorOf({{"Sound.brp", good}, {name, bytes}});
        const QString lead = "The shape " + name + " cannot be read: ";
        EXPECT_TRUE(error.startsWith(lead)) << error.toStdString();
        EXPECT_GT(error.size(), lead.size());
        if (!reason.isEmpty()) {
            EXPECT_EQ(error, lead + reason);
        }
    }

    // A sound entry after a bad one is never reached; the bad one is named.
    EXPECT_TRUE(errorOf({{"Junk.bin", noise}, {"Sound.brp", good}}).startsWith("The shape Junk.bin "));

    // The readers' complaints do not reach the caller's standard output, which may be a
    // transcript.
    testing::internal::CaptureStdout();
    errorOf({{"Spoilt.brp", replaced("Surfaces", "Sourfaces")}, {"Junk.bin", noise}});
    errorOf({{"Endless.brp", endless}});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
