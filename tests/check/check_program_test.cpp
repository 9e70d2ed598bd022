// tavik-check as a program: its arguments, the folder it checks when given none, and its exit
// statuses; what it says about a configuration is left to the ConfigurationCheck tests.

#include "check_folder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun tavikCheck(
    const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
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
    const ProgramRun run = tavikCheck({"--json", "--doc", TAVIK_SOURCE_DIR "/data/samples/Bracket.sldprt"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.err, "tavik-check: checking " TAVIK_BINARY_DIR "/addin (add-in folder)\n");
    ASSERT_TRUE(run.out.startsWith("OK\n"));
    const QJsonObject fileName
        = QJsonDocument::fromJson(run.out.mid(3).toUtf8())["frames"][0]["groups"][2]["items"][0].toObject();
    EXPECT_TRUE(fileName["CPTag"] == "FileName" && fileName["defaultValue"] == "Bracket.SLDPRT");
}

TEST_F(TavikCheck, ArgumentsAndExitStatuses)
{
    for (const QStringList &args : {QStringList{"--bogus"}, QStringList{"--doc"}, QStringList{"a", "b"}}) {
        const ProgramRun run = tavikCheck(args);
        EXPECT_TRUE(run.exitCode == 2 && run.out.isEmpty() && run.err.contains("Usage: ")) << run.err.toStdString();
    }
    EXPECT_TRUE(tavikCheck({"--bogus"}).err.startsWith("tavik-check: Unknown option 'bogus'.\n"));
    const ProgramRun unreadable = tavikCheck({"--doc", dir.filePath("none.sldprt")});
    EXPECT_TRUE(unreadable.exitCode == 2 && unreadable.err.contains("none.sldprt")) << unreadable.err.toStdString();

    // A folder given is the one checked; warnings fail the check only under --strict.
    useConfiguration(readFile(TAVIK_SOURCE_DIR "/tests/check/fixtures/mistakes/Tavik.xml"));
    const ProgramRun lenient = tavikCheck({dir.path()});
    EXPECT_TRUE(lenient.exitCode == 0 && lenient.out == "OK\n") << lenient.err.toStdString();
    EXPECT_TRUE(lenient.err.contains(dir.filePath("Tavik.xml") + ":3: warning: ")) << lenient.err.toStdString();
    const ProgramRun strict = tavikCheck({"--strict", dir.path()});
    EXPECT_TRUE(strict.exitCode == 1 && strict.out.isEmpty());
}

// Without a folder the check reads the one the editor would, and says which and why.
TEST_F(TavikCheck, WithoutAFolderTheEditorsSearchDecides)
{
    const QString team = QDir(dir.filePath("etc/tavik")).absolutePath();
    writeFile(team + "/Tavik.xml", readFile(TAVIK_SOURCE_DIR "/data/Tavik.xml"));
    writeFile(team + "/Tavik.xsd", readFile(TAVIK_SOURCE_DIR "/data/Tavik.xsd"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("home"));
    env.insert("XDG_CONFIG_DIRS", dir.filePath("none") + ':' + dir.filePath("etc"));
    env.insert("TAVIK_CONFIG_DIR", QString());
    ProgramRun run = tavikCheck({}, env);
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_EQ(run.err, "tavik-check: checking " + team + " (XDG configuration folder)\n");

    const QString named = QDir(dir.filePath("named")).absolutePath();
    env.insert("TAVIK_CONFIG_DIR", named);
    run = tavikCheck({}, env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tavik-check: checking " + named + " (TAVIK_CONFIG_DIR)\n");
    EXPECT_TRUE(run.out.endsWith("Looked for the schema at " + named + "/Tavik.xsd\n")) << run.out.toStdString();
}
