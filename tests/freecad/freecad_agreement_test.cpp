// Our measures against FreeCAD's own (freecadcmd): Shape.Volume, Shape.Area and the solids'
// centre of mass of the objects that count in each sample document and in documents of curved,
// filleted, turned and compound shapes that FreeCAD makes here, with text and binary entries.
// Skipped where freecadcmd is not installed.

#include "freecad/document_content.h"
#include "freecad/document_xml.h"
#include "freecad/fcstd_archive.h"
#include "freecad/shape_measure.h"
#include "scratch_base.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>

using namespace tavik;

namespace {

const QString TestsDir = QStringLiteral(TAVIK_SOURCE_DIR "/tests/freecad");

class FreeCadAgreement : public ScratchTest {
protected:
    FreeCadAgreement()
        : ScratchTest("freecad-agreement")
    {
    }

    // Runs a script under freecadcmd with the given settings on top of our environment, FreeCAD's
    // user settings kept in the test's folder; true when it ends with status 0.
    bool runFreeCad(const QString &script, const QStringList &environment)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FREECAD_USER_HOME"), dir.filePath(QStringLiteral("freecad-home")));
        for (const QString &setting : environment)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("freecadcmd"), {script});
        EXPECT_TRUE(process.waitForFinished(180000)) << "freecadcmd " << script.toStdString() << " did not finish";
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
};

} // namespace

TEST_F(FreeCadAgreement, MeasuresAgreeWithFreeCadOnTheObjectsThatCount)
{
    if (QStandardPaths::findExecutable(QStringLiteral("freecadcmd")).isEmpty())
        GTEST_SKIP() << "freecadcmd is not on PATH (Debian's freecad-python3): FreeCAD's own figures cannot be taken";
    QStringList documents;
    for (const char *name : {"Block.FCStd", "Flange.FCStd", "Clip.FCStd", "Stand.FCStd"})
        documents << write(name, readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/") + name));
    ASSERT_TRUE(runFreeCad(TestsDir + QStringLiteral("/freecad_odd_shapes.py"), {"TAVIK_ODD_DIR=" + dir.path()}));
    documents << dir.filePath(QStringLiteral("Odd.FCStd")) << dir.filePath(QStringLiteral("OddBinary.FCStd"));

    // The objects that count, as FreeCAD reports them: visible, used by no other, with a shape of
    // their own; ours must be the same. Those without solids are measured too, and add nothing.
    for (const QString &document : documents) {
        SCOPED_TRACE(document.toStdString());
        const QString json = document + QStringLiteral(".json");
        ASSERT_TRUE(runFreeCad(
            TestsDir + QStringLiteral("/freecad_read.py"), {"TAVIK_FCSTD=" + document, "TAVIK_FCSTD_JSON=" + json}));
        const QJsonObject report = QJsonDocument::fromJson(readFile(json)).object();
        ASSERT_TRUE(report.contains("Objects"));
        // The entries come through the archive and Document.xml readers, which other tests check.
        FcstdArchive archive(readFile(document));
        const DocumentXml xml(archive.read("Document.xml"));
        QMap<QString, QString> entryOf;
        for (const FreeCadObject &object : xml.objects())
            entryOf[object.name] = object.shapeEntry;

        std::vector<std::pair<QString, QByteArray>> entries;
        double volume = 0, area = 0;
        std::array<double, 3> moment{};
        for (const QJsonValue &value : report["Objects"].toArray()) {
            const QJsonObject object = value.toObject();
            const QJsonObject shape = object["Shape"].toObject();
            if (!object["Visibility"].toBool() || !object["UsedBy"].toArray().isEmpty() || shape.isEmpty()
                || shape["Null"].toBool())
                continue;
            const QString name = object["Name"].toString();
            ASSERT_FALSE(entryOf.value(name).isEmpty()) << name.toStdString();
            entries.emplace_back(entryOf[name], archive.read(entryOf[name]));
            if (shape["Solids"].toInt() == 0)
                continue;
            const double v = shape["Volume"].toDouble();
            volume += v;
            area += shape["Area"].toDouble();
            for (int axis = 0; axis < 3; ++axis)
                moment[axis] += v * shape["CenterOfMass"].toArray()[axis].toDouble();
        }
        QStringList chosen;
        for (const auto &[entry, bytes] : entries)
            chosen << entry;
        EXPECT_EQ(partShapeEntries(xml.objects()), chosen);

        const ShapeMeasure ours = measureSolids(entries);
        const double scale = std::max(1.0, volume), length = std::max(1.0, std::cbrt(volume));
        const double differences[]
            = {std::abs(ours.volume - volume) / scale, std::abs(ours.area - area) / std::max(1.0, area),
                std::abs(ours.centreOfMass[0] - moment[0] / scale) / length,
                std::abs(ours.centreOfMass[1] - moment[1] / scale) / length,
                std::abs(ours.centreOfMass[2] - moment[2] / scale) / length};
        for (double difference : differences)
            EXPECT_LE(difference, 1e-6) << "volume " << ours.volume << " vs " << volume << ", area " << ours.area
                                        << " vs " << area;
    }
}
