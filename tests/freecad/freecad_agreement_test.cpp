// Our measures against FreeCAD's own (freecadcmd): Shape.Volume, Shape.Area and the solids'
// centre of mass of the objects that count in each sample document and in documents of curved,
// filleted, turned and compound shapes that FreeCAD makes here, with text and binary entries;
// and the read-back script's own promises. Skipped where freecadcmd is not installed.

#include "fcstd_reading.h"
#include "freecad/shape_measure.h"
#include "scratch_base.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>
#include <cstdio>

using namespace tavik;

namespace {

const QString TestsDir = QStringLiteral(TAVIK_SOURCE_DIR "/tests/freecad");

class FreeCadAgreement : public ScratchTest {
protected:
    FreeCadAgreement()
        : ScratchTest("freecad-agreement")
    {
    }

    void SetUp() override
    {
        ScratchTest::SetUp();
        freecad = QStandardPaths::findExecutable(QStringLiteral("freecadcmd"));
        if (freecad.isEmpty())
            GTEST_SKIP() << "freecadcmd is not on PATH (Debian's freecad-python3): FreeCAD's own figures "
                            "cannot be taken";
    }

    // Runs a script under freecadcmd with the given environment on top of ours, FreeCAD's user
    // settings kept in the test's folder; its exit status, its standard output in out.
    int runFreeCad(const QString &script, const QStringList &environment, QByteArray *out = nullptr)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FREECAD_USER_HOME"), dir.filePath(QStringLiteral("freecad-home")));
        env.remove(QStringLiteral("TAVIK_FCSTD"));
        env.remove(QStringLiteral("TAVIK_FCSTD_JSON"));
        for (const QString &setting : environment)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(freecad, {script});
        if (!process.waitForFinished(180000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "freecadcmd " << script.toStdString() << " did not finish";
            return -1;
        }
        if (out)
            *out = process.readAllStandardOutput();
        if (process.exitCode() != 0)
            std::fprintf(stderr, "%s", process.readAllStandardError().constData());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // What FreeCAD reads in a document, through the read-back script.
    QJsonObject readBack(const QString &document)
    {
        const QString json = document + QStringLiteral(".json");
        EXPECT_EQ(runFreeCad(TestsDir + QStringLiteral("/freecad_read.py"),
                      {"TAVIK_FCSTD=" + document, "TAVIK_FCSTD_JSON=" + json}),
            0)
            << document.toStdString();
        return QJsonDocument::fromJson(readFile(json)).object();
    }

    QString copySample(const char *name)
    {
        return write(name, readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/") + name));
    }

    QString freecad;
};

double relative(double ours, double theirs, double scale)
{
    return std::abs(ours - theirs) / scale;
}

} // namespace

TEST_F(FreeCadAgreement, MeasuresAgreeWithFreeCadOnTheObjectsThatCount)
{
    QStringList documents = {copySample("Block.FCStd"), copySample("Flange.FCStd"), copySample("Stand.FCStd")};
    ASSERT_EQ(runFreeCad(TestsDir + QStringLiteral("/freecad_odd_shapes.py"), {"TAVIK_ODD_DIR=" + dir.path()}), 0);
    documents << dir.filePath(QStringLiteral("Odd.FCStd")) << dir.filePath(QStringLiteral("OddBinary.FCStd"));

    // The objects that count: visible, used by no other, with a shape of their own. Those
    // without solids are measured too, and must add nothing.
    const QMap<QString, QStringList> counted = {{"Block.FCStd", {"Block", "Pin", "Ball"}}, {"Flange.FCStd", {"Flange"}},
        {"Stand.FCStd", {}}, {"Odd.FCStd", {"Ball", "Ring", "Rounded", "Cone", "Pair", "Sheet"}},
        {"OddBinary.FCStd", {"Ball", "Ring", "Rounded", "Cone", "Pair", "Sheet"}}};

    double worst = 0;
    for (const QString &document : documents) {
        const QString fileName = QFileInfo(document).fileName();
        SCOPED_TRACE(fileName.toStdString());
        const QJsonObject report = readBack(document);
        ASSERT_TRUE(report.contains("Objects"));
        const QMap<QString, QString> entryOf = shapeEntries(zipEntry(document, "Document.xml"));

        std::vector<std::pair<QString, QByteArray>> entries;
        QStringList names;
        double volume = 0, area = 0;
        std::array<double, 3> moment{};
        for (const QJsonValue &value : report["Objects"].toArray()) {
            const QJsonObject object = value.toObject();
            const QJsonObject shape = object["Shape"].toObject();
            if (!object["Visibility"].toBool() || !object["UsedBy"].toArray().isEmpty() || shape.isEmpty()
                || shape["Null"].toBool())
                continue;
            const QString name = object["Name"].toString();
            names << name;
            ASSERT_TRUE(entryOf.contains(name)) << name.toStdString();
            entries.emplace_back(entryOf[name], zipEntry(document, entryOf[name]));
            if (shape["Solids"].toInt() == 0)
                continue;
            const double v = shape["Volume"].toDouble();
            volume += v;
            area += shape["Area"].toDouble();
            const QJsonArray centre = shape["CenterOfMass"].toArray();
            for (int axis = 0; axis < 3; ++axis)
                moment[axis] += v * centre[axis].toDouble();
        }
        EXPECT_EQ(names, counted[fileName]);

        const ShapeMeasure ours = measureSolids(entries);
        if (volume == 0) {
            EXPECT_EQ(ours.volume, 0);
            EXPECT_EQ(ours.area, 0);
            continue;
        }
        const double differences[] = {relative(ours.volume, volume, volume), relative(ours.area, area, area),
            relative(ours.centreOfMass[0], moment[0] / volume, std::cbrt(volume)),
            relative(ours.centreOfMass[1], moment[1] / volume, std::cbrt(volume)),
            relative(ours.centreOfMass[2], moment[2] / volume, std::cbrt(volume))};
        for (double difference : differences) {
            EXPECT_LE(difference, 1e-6) << "volume " << ours.volume << " vs " << volume << ", area " << ours.area
                                        << " vs " << area;
            worst = std::max(worst, difference);
        }
    }
    std::printf("largest relative difference from FreeCAD: %.3g\n", worst);
    RecordProperty("largest_relative_difference", QString::number(worst, 'g', 3).toStdString());
}

TEST_F(FreeCadAgreement, ReadScriptMarksItsOutputAndFailsLoudly)
{
    const QString block = copySample("Block.FCStd");
    const QString script = TestsDir + QStringLiteral("/freecad_read.py");

    // Without an output file the JSON is the one line between the markers, whatever FreeCAD
    // prints around them.
    QByteArray out;
    ASSERT_EQ(runFreeCad(script, {"TAVIK_FCSTD=" + block}, &out), 0);
    const qsizetype begin = out.indexOf("\nTAVIK-FREECAD-READ-BEGIN\n");
    const qsizetype end = out.indexOf("\nTAVIK-FREECAD-READ-END\n");
    ASSERT_TRUE(begin >= 0 && end > begin) << out.toStdString();
    const qsizetype from = begin + qsizetype(sizeof "\nTAVIK-FREECAD-READ-BEGIN\n") - 1;
    const QByteArray line = out.mid(from, end - from);
    EXPECT_FALSE(line.contains('\n'));
    const QJsonObject report = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(report["Label"].toString(), "Block");
    EXPECT_EQ(report["CreatedBy"].toString(), QString::fromUtf8("Anna Weiß"));
    EXPECT_EQ(report["Comment"].toString(), "Three solids");
    EXPECT_EQ(report["Meta"].toObject()["Supplier"].toString(), QString::fromUtf8("Müller & Söhne"));
    EXPECT_EQ(report["Material"].toObject()["Density"].toString(), "2700 kg/m^3");

    // Each entry's digest is the SHA-256 of its bytes, and the shapes' digests do not change
    // from one reading to the next.
    const QJsonObject digests = report["Entries"].toObject();
    ASSERT_EQ(digests.size(), 3);
    for (const QString &entry : digests.keys())
        EXPECT_EQ(digests[entry].toString(),
            QCryptographicHash::hash(zipEntry(block, entry), QCryptographicHash::Sha256).toHex())
            << entry.toStdString();
    const QJsonArray objects = readBack(block)["Objects"].toArray();
    ASSERT_EQ(objects.size(), report["Objects"].toArray().size());
    for (qsizetype i = 0; i < objects.size(); ++i) {
        const QString digest = objects[i].toObject()["Shape"].toObject()["Digest"].toString();
        EXPECT_EQ(digest.size(), 64);
        EXPECT_EQ(digest, report["Objects"].toArray()[i].toObject()["Shape"].toObject()["Digest"].toString());
    }

    // A document that cannot be opened, or none named: exit status 1 and no JSON.
    write("Broken.FCStd", "PK\x03\x04 not really a zip archive");
    for (const QStringList &environment : {QStringList{"TAVIK_FCSTD=" + dir.filePath("Broken.FCStd")},
             QStringList{"TAVIK_FCSTD=" + dir.filePath("Missing.FCStd")}, QStringList{}}) {
        SCOPED_TRACE(environment.join(' ').toStdString());
        EXPECT_EQ(runFreeCad(script, environment, &out), 1);
        EXPECT_FALSE(out.contains("TAVIK-FREECAD-READ-BEGIN"));
    }
}
