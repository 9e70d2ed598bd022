// The fault sweep: one scripted session of tavik-host is run once as it is, recording every host
// call it makes, and then once for every one of those calls with that call failing. No run may
// crash or hang; each either completes or ends with a message; the document file is untouched
// unless the run got as far as saving it, and then it holds what the faultless run saved.

#include "scratch_base.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

const QString samples = QStringLiteral(TAVIK_SOURCE_DIR "/data/samples");
const QString document = QStringLiteral("Plate.sldprt");

// Exit statuses that tell a sanitizer's report from the script's own failure (1).
constexpr int AsanExit = 86;
constexpr int UbsanExit = 87;

struct SessionRun {
    bool finished = false;
    bool crashed = false;
    int exitCode = -1;
    QString out;
    QString err;
    QStringList calls;
    QByteArray documentAfter;
};

// Runs the session in a fresh folder: the sample document and an empty settings store.
SessionRun runSession(const QString &folder, int failCall)
{
    QDir(folder).removeRecursively();
    const QDir work(folder);
    for (const QString &name : {document, QStringLiteral("Gusset.sldprt")})
        writeFile(work.filePath(name), readFile(QDir(samples).filePath(name)));
    QStringList args{"--addin", TAVIK_PLUGIN, "--settings", work.filePath("settings.sqlite"), "--call-log",
        work.filePath("calls.log"), "--script", TAVIK_SOURCE_DIR "/tests/e2e/fault_sweep/session.script"};
    if (failCall > 0)
        args << "--fail-call" << QString::number(failCall);

    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const auto &[name, code] : {std::pair{"ASAN_OPTIONS", AsanExit}, std::pair{"UBSAN_OPTIONS", UbsanExit}}) {
        const QString option = QStringLiteral("exitcode=%1").arg(code);
        env.insert(name, env.value(name).isEmpty() ? option : env.value(name) + ':' + option);
    }
    host.setProcessEnvironment(env);
    host.setWorkingDirectory(folder);
    host.start(TAVIK_HOST_PROGRAM, args);

    SessionRun run;
    run.finished = host.waitForFinished(120000);
    if (!run.finished) {
        host.kill();
        host.waitForFinished();
    }
    run.crashed = host.exitStatus() == QProcess::CrashExit;
    run.exitCode = host.exitCode();
    run.out = QString::fromUtf8(host.readAllStandardOutput());
    run.err = QString::fromUtf8(host.readAllStandardError());
    run.calls = QString::fromUtf8(readFile(work.filePath("calls.log"))).split('\n', Qt::SkipEmptyParts);
    run.documentAfter = readFile(work.filePath(document));
    return run;
}

// Where the document saved after an unreported fault differs from the faultless one, other than
// in the values that follow the clock (dates of the file and of the edit). A system value that
// could not be read is no such difference: its field and property show the error text instead.
QStringList unexplainedDifferences(const QByteArray &saved, const QByteArray &faultless)
{
    const auto properties = [](QJsonObject &doc) {
        QMap<QString, QString> values; // "level/name" -> value
        const QJsonObject levels = doc.take("customProperties").toObject();
        for (auto level = levels.begin(); level != levels.end(); ++level)
            for (const QJsonValue &pair : level.value().toArray())
                if (!QStringList{"Created", "Modified", "EditedOn"}.contains(pair[0].toString()))
                    values.insert(level.key() + '/' + pair[0].toString(), pair[1].toString());
        return values;
    };
    QJsonObject got = QJsonDocument::fromJson(saved).object();
    QJsonObject want = QJsonDocument::fromJson(faultless).object();
    const auto gotValues = properties(got);
    const auto wantValues = properties(want);
    QStringList found;
    if (gotValues.keys() != wantValues.keys())
        found << "properties " + gotValues.keys().join(',') + " instead of " + wantValues.keys().join(',');
    for (auto it = gotValues.begin(); it != gotValues.end(); ++it)
        if (it.value() != wantValues.value(it.key()) && !it.value().startsWith("ERROR: "))
            found << QStringLiteral("%1 = \"%2\" instead of \"%3\"")
                         .arg(it.key(), it.value(), wantValues.value(it.key()));
    if (got != want)
        found << QString::fromUtf8(QJsonDocument(got).toJson(QJsonDocument::Compact));
    return found;
}

// "Object.Member" of every logged call.
std::string members(const QStringList &calls)
{
    QStringList names;
    for (const QString &call : calls)
        names << call.section('(', 0, 0);
    return names.join(' ').toStdString();
}

// Whether a transcript shows a message box that the faultless run did not show.
bool newMessageBox(const QString &transcript, const QString &faultless)
{
    for (const QString &line : transcript.split('\n'))
        if (line.startsWith("MSGBOX") && !faultless.contains(line))
            return true;
    return false;
}

class FaultSweep : public ScratchTest {
protected:
    FaultSweep()
        : ScratchTest(QStringLiteral("fault-sweep"))
    {
    }
};

} // namespace

TEST_F(FaultSweep, EveryFailingHostCallEndsInAMessageWithTheDocumentSafe)
{
    const QByteArray original = readFile(QDir(samples).filePath(document));
    // Every run in the same folder: the document's path is one of the values it saves.
    const QString session = dir.filePath("session");
    const SessionRun clean = runSession(session, 0);
    ASSERT_TRUE(clean.finished && !clean.crashed && clean.exitCode == 0) << clean.err.toStdString();
    ASSERT_NE(clean.documentAfter, original) << "the faultless session saves the document";
    ASSERT_FALSE(clean.calls.isEmpty());

    for (int n = 1; n <= clean.calls.size(); ++n) {
        const SessionRun run = runSession(session, n);
        const std::string what = "call " + std::to_string(n) + " " + clean.calls[n - 1].toStdString() + "\nstdout:\n"
            + run.out.toStdString() + "stderr:\n" + run.err.toStdString();
        ASSERT_TRUE(run.finished) << "hangs when " << what;
        ASSERT_FALSE(run.crashed) << "crashes when " << what;
        ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << "exit status " << run.exitCode << " when " << what;
        // The same session makes the same calls up to the one that fails (their arguments may
        // carry the time of day).
        ASSERT_GE(run.calls.size(), n) << what;
        EXPECT_EQ(members(run.calls.mid(0, n)), members(clean.calls.mid(0, n))) << what;

        const bool told = newMessageBox(run.out, clean.out);
        if (run.exitCode == 0) {
            // Every line ran, the save included. A fault that no message box mentioned must show
            // in the document as an error text, or not at all. After a reported fault the script
            // saves what is there, as a person may.
            if (!told) {
                EXPECT_EQ(unexplainedDifferences(run.documentAfter, clean.documentAfter), QStringList())
                    << "a different document saved without a message when " << what;
            }
        } else {
            // The run stopped before the save or in it: a message box told of the fault, or the
            // host reported it as the failure of the script line it hit (the script's own reads of
            // the document are host calls too). The file is as it was.
            const bool hostReported = run.err.contains(QStringLiteral("Injected fault in host call %1\n").arg(n));
            EXPECT_TRUE(told || hostReported) << "nothing tells of the fault when " << what;
            EXPECT_EQ(run.documentAfter, original) << "the unsaved document changed when " << what;
        }
    }
}
