#include "check_folder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun tavikCheck(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(TAVIK_BINARY_DIR "/tavik-check"), args);
    ProgramRun run;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

} // namespace

using TavikCheck = CheckFolder;

// Without a folder the program checks the copy beside it, in the add-in's folder; the system
// values come from the document given.
TEST_F(TavikCheck, ChecksTheAddinFolderAndPrintsTheModelWithTheDocumentsValues)
{
    const ProgramRun run = tavikCheck({QStringLiteral("--json"), QStringLiteral("--doc"),
                                       QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Bracket.sldprt")});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    ASSERT_TRUE(run.out.startsWith(QStringLiteral("OK\n")));
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(run.out.mid(3).toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject model = json.object();
    EXPECT_EQ(model["settings"].toObject()["operationLabel"].toString(), QStringLiteral(" [local]"));
    QStringList names;
    for (const QJsonValue &f : model["frames"].toArray())
        names << f.toObject()["name"].toString();
    EXPECT_EQ(names, (QStringList{"Part", "Drawing", "Purchasing"}));
    const QJsonObject document = model["frames"].toArray()[0].toObject()["groups"].toArray()[2].toObject();
    const QJsonObject fileName = document["items"].toArray()[0].toObject();
    ASSERT_EQ(fileName["CPTag"].toString(), QStringLiteral("FileName"));
    EXPECT_EQ(fileName["defaultValue"].toString(), QStringLiteral("Bracket.SLDPRT"));
}

TEST_F(TavikCheck, BrokenConfigurationExitsWithTheTitleAndMessage)
{
    QByteArray xml = readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xml"));
    ASSERT_FALSE(xml.isEmpty());
    xml.replace("<frame name=\"Drawing\">", "<frame title=\"Drawing\">");
    useConfiguration(xml);
    const ProgramRun run = tavikCheck({dir.path()});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.out.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 2) << run.out.toStdString();
    const QStringList head = lines[0].split(QLatin1Char('\n'));
    ASSERT_EQ(head.size(), 2) << run.out.toStdString();
    EXPECT_EQ(head[0], QStringLiteral("Tavik: XML parse error"));
    EXPECT_TRUE(head[1].startsWith(QStringLiteral("Error in Tavik.xml file near line  "))) << head[1].toStdString();
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("Exit on error\n"))) << run.out.toStdString();
}

TEST_F(TavikCheck, BadArgumentsPrintTheUsage)
{
    for (const QStringList &args : {QStringList{"--bogus"}, QStringList{"--doc"}, QStringList{"a", "b"}}) {
        const ProgramRun run = tavikCheck(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(QStringLiteral("usage: tavik-check"))) << run.err.toStdString();
    }
    const ProgramRun unreadable = tavikCheck({QStringLiteral("--doc"), dir.filePath(QStringLiteral("none.sldprt"))});
    EXPECT_EQ(unreadable.exitCode, 2);
    EXPECT_TRUE(unreadable.err.contains(QStringLiteral("none.sldprt"))) << unreadable.err.toStdString();
}
