#include "check_folder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QDir>
#include <QFile>
#include <QMap>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun tavikCheck(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
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
    const ProgramRun run = tavikCheck({QStringLiteral("--json"), QStringLiteral("--doc"),
                                       QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Bracket.sldprt")});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    // It says which folder it checked, and the shipped configuration has nothing to warn of.
    EXPECT_EQ(run.err, QStringLiteral("tavik-check: checking " TAVIK_BINARY_DIR "/addin (add-in folder)\n"));
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
        EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: "))) << run.err.toStdString();
    }
    EXPECT_TRUE(tavikCheck({"--bogus"}).err.startsWith(QStringLiteral("tavik-check: Unknown option 'bogus'.\n")));
    const ProgramRun unreadable = tavikCheck({QStringLiteral("--doc"), dir.filePath(QStringLiteral("none.sldprt"))});
    EXPECT_EQ(unreadable.exitCode, 2);
    EXPECT_TRUE(unreadable.err.contains(QStringLiteral("none.sldprt"))) << unreadable.err.toStdString();
}

namespace {

// The warning lines of a run, by line number.
QMap<int, QString> warningsOf(const ProgramRun &run, const QString &path)
{
    QMap<int, QString> out;
    const QString prefix = path + QLatin1Char(':');
    for (const QString &line : run.err.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(QStringLiteral(": warning: "));
        if (line.startsWith(prefix) && at > 0)
            out.insert(line.mid(prefix.size(), at - prefix.size()).toInt(), line.mid(at + 11));
    }
    return out;
}

} // namespace

// One configuration with each mistake that loads but misleads the editor: each is reported once,
// at its line, with the name involved and the fix; the check passes unless --strict.
TEST_F(TavikCheck, MistakesThatLoadAreWarnedOfAndFailUnderStrict)
{
    useConfiguration(readFile(QStringLiteral(TAVIK_SOURCE_DIR "/tests/check/fixtures/mistakes/Tavik.xml")));
    const QString path = dir.filePath(QStringLiteral("Tavik.xml"));
    const ProgramRun run = tavikCheck({dir.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("OK\n"));
    const QMap<int, QStringList> expected{
        {3, {"defaultFrame=\"3\" names no frame", "shows frame 0"}},
        {7, {"\"[A-Z###\" of \"Code\"", "Close the list with \"]\""}},
        {9, {"\"Title\" takes \"Nmae\"", "literal text", "Did you mean \"Name\"?"}},
        {13, {"composite \"Label\" has no length", "length=\"60\""}},
        {16, {"\"Mass\" of \"Weight\" does not exist", "ERROR: <Mass> function not implemented", "Did you mean \"mass\"?"}},
        {17, {"\"Serial\" is keyed on \"Projct\"", "shared counter \"Tavik\"", "Did you mean \"Project\"?"}},
        {18, {"CPTag \"Name\" is used twice", "first at line 6"}},
        {19, {"options of \"Shape\" are discarded", "line 20", "Remove the options"}},
        {24, {"links to \"Finsh\", which names no item", "Did you mean \"Finish\"?"}},
    };
    const QMap<int, QString> warnings = warningsOf(run, path);
    EXPECT_EQ(warnings.keys(), expected.keys()) << run.err.toStdString();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        for (const QString &part : it.value())
            EXPECT_TRUE(warnings.value(it.key()).contains(part)) << it.key() << ": " << warnings.value(it.key()).toStdString();

    const ProgramRun strict = tavikCheck({QStringLiteral("--strict"), dir.path()});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_TRUE(strict.out.isEmpty());
    EXPECT_EQ(warningsOf(strict, path).size(), expected.size());
    EXPECT_TRUE(strict.err.endsWith(QStringLiteral("9 warning(s); --strict makes them fail the check\n")));
}

// The editor's message stays as it is; the lines after it say where and why.
TEST_F(TavikCheck, FailuresSayWhereAndWhy)
{
    const QString path = dir.filePath(QStringLiteral("Tavik.xml"));
    const QByteArray head = "<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:configuration\">\n<frame name=\"F\"><group name=\"G\">\n";
    const QByteArray tail = "</group></frame>\n</Tavik>\n";
    const QString unknown = QStringLiteral("Tavik: Fatal error\nUnknown error in parsing of Schema or XML files...\r\nExiting\n");
    const QString xmlError = QStringLiteral("Tavik: XML parse error\nError in Tavik.xml file near line ");
    struct Case {
        QByteArray xml;
        QString message;   // the start of the output: the editor's title and message
        QString because;   // the line that follows it
    };
    const Case cases[] = {
        {head + "<!-- note -->\n<item CPTag=\"A\"/>" + tail, unknown,
         path + QStringLiteral(":4: a comment inside a group: only elements may stand there; move comments outside the frames")},
        {head + "<item CPTag=\"A\">\n<option/></item>" + tail, unknown,
         path + QStringLiteral(":5: an option without text (<option/>)")},
        {head + "<item CPTag=\"A\"><option> </option></item>" + tail, unknown, path + QStringLiteral(":4: an option without text")},
        {head + "<item CPTag=\"A\"><option>Caf\xe9</option></item>" + tail, xmlError,
         path + QStringLiteral(":4: the file is not UTF-8. Save it as UTF-8, or name its encoding in its first line")},
        {"<?xml version=\"1.0\"?>\n<Tavik>\n<frame name=\"F\"><group name=\"G\"><item CPTag=\"A\"/>" + tail, xmlError,
         path + QStringLiteral(":2: the document element <Tavik> is in no namespace, but the schema expects "
                               "\"urn:tavik:configuration\": write <Tavik xmlns=\"urn:tavik:configuration\">")},
    };
    for (const Case &c : cases) {
        useConfiguration(c.xml);
        const ProgramRun run = tavikCheck({dir.path()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.startsWith(c.message)) << run.out.toStdString();
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_TRUE(lines.last().startsWith(c.because)) << run.out.toStdString();
    }

    QFile::remove(dir.filePath(QStringLiteral("Tavik.xsd")));
    const ProgramRun missing = tavikCheck({dir.path()});
    EXPECT_EQ(missing.out, QStringLiteral("Tavik: File not found\nTavik.xsd could not be found...\r\nExit on error\n"
                                          "Looked for the schema at ") + QDir(dir.path()).absoluteFilePath("Tavik.xsd") + "\n");
}

// Without a folder the check reads the one the editor would, and says which and why.
TEST_F(TavikCheck, WithoutAFolderTheEditorsSearchDecides)
{
    const QByteArray xml = readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xml"));
    const QByteArray xsd = readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xsd"));
    const QString team = QDir(dir.filePath(QStringLiteral("etc/tavik"))).absolutePath();
    writeFile(team + QStringLiteral("/Tavik.xml"), xml);
    writeFile(team + QStringLiteral("/Tavik.xsd"), xsd);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.filePath(QStringLiteral("none")) + QLatin1Char(':') + dir.filePath(QStringLiteral("etc")));
    env.insert(QStringLiteral("TAVIK_CONFIG_DIR"), QString());
    ProgramRun run = tavikCheck({}, env);
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_EQ(run.err, QStringLiteral("tavik-check: checking ") + team + QStringLiteral(" (XDG configuration folder)\n"));

    const QString named = QDir(dir.filePath(QStringLiteral("named"))).absolutePath();
    env.insert(QStringLiteral("TAVIK_CONFIG_DIR"), named);
    run = tavikCheck({}, env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("tavik-check: checking ") + named + QStringLiteral(" (TAVIK_CONFIG_DIR)\n"));
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("Looked for the schema at ") + named + QStringLiteral("/Tavik.xsd\n"))) << run.out.toStdString();
}

// A form larger than the editor's controls allow is refused by both, with the limit and the count:
// 3000 fields in one group, or a document with thousands of configurations.
TEST_F(TavikCheck, AFormPastTheEditorsLimitsIsRefused)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<Tavik xmlns=\"urn:tavik:configuration\"><frame name=\"F\"><group name=\"G\">\n";
    for (int i = 0; i < 3000; ++i)
        xml += "<item CPTag=\"I" + QByteArray::number(i) + "\"/>\n";
    useConfiguration(xml + "</group></frame></Tavik>\n");
    const ProgramRun run = tavikCheck({QStringLiteral("--doc"), QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Plate.sldprt"), dir.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QStringLiteral("Tavik: Fatal Error\nError  0 (the form needs 12000 label places (two per field label) for "
                                      "the document and its 1 configuration, more than the 9999 the editor can make; the limit "
                                      "is passed in frame \"F\", tab \"...G...\") in <Form Load>     \r\nExiting 2\n"));

    // The shipped configuration on a document with thousands of configurations.
    QByteArray names;
    for (int c = 0; c < 3000; ++c)
        names += (c ? ",\"C" : "\"C") + QByteArray::number(c) + "\"";
    const QString many = write(QStringLiteral("Many.sldprt"), "{\"configurations\": [" + names + "]}");
    const ProgramRun manyRun = tavikCheck({QStringLiteral("--doc"), many, QStringLiteral(TAVIK_SOURCE_DIR "/data")});
    EXPECT_EQ(manyRun.exitCode, 1);
    EXPECT_TRUE(manyRun.out.startsWith(QStringLiteral("Tavik: Fatal Error\nError  0 (the form needs "))) << manyRun.out.toStdString();
    EXPECT_TRUE(manyRun.out.contains(QStringLiteral(" for the document and its 3000 configurations, more than the 9999 "
                                                    "the editor can make; the limit is passed in frame \"Part\", tab \"")))
        << manyRun.out.toStdString();
}
