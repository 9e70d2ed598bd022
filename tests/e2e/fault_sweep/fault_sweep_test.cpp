// The fault sweep: one scripted session of tavik-host is run once as it is, recording every host
// call it makes, and then once for every one of those calls with that call failing. No run may
// crash or hang; each either completes or ends with a message; the document file is untouched
// unless the run got as far as saving it, and then it holds what the faultless run saved.

#include "scratch_base.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString samples = QStringLiteral(TAVIK_SOURCE_DIR "/data/samples");
const QString script = QStringLiteral(TAVIK_SOURCE_DIR "/tests/e2e/fault_sweep/session.script");
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

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString withOption(const QProcessEnvironment &env, const QString &name, const QString &option)
{
    const QString inherited = env.value(name);
    return inherited.isEmpty() ? option : inherited + QLatin1Char(':') + option;
}

// Runs the session in a fresh folder: the sample document and an empty settings store.
SessionRun runSession(const QString &folder, int failCall)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QDir work(folder);
    QFile::copy(QDir(samples).filePath(document), work.filePath(document));
    QFile::copy(QDir(samples).filePath(QStringLiteral("Gusset.sldprt")), work.filePath(QStringLiteral("Gusset.sldprt")));

    QStringList args{QStringLiteral("--addin"), QStringLiteral(TAVIK_PLUGIN),
                     QStringLiteral("--settings"), work.filePath(QStringLiteral("settings.sqlite")),
                     QStringLiteral("--call-log"), work.filePath(QStringLiteral("calls.log")),
                     QStringLiteral("--script"), script};
    if (failCall > 0)
        args << QStringLiteral("--fail-call") << QString::number(failCall);

    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), withOption(env, QStringLiteral("ASAN_OPTIONS"),
                                                          QStringLiteral("exitcode=%1").arg(AsanExit)));
    env.insert(QStringLiteral("UBSAN_OPTIONS"), withOption(env, QStringLiteral("UBSAN_OPTIONS"),
                                                           QStringLiteral("exitcode=%1").arg(UbsanExit)));
    host.setProcessEnvironment(env);
    host.setWorkingDirectory(folder);
    host.start(QStringLiteral(TAVIK_HOST_PROGRAM), args);

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
    run.calls = QString::fromUtf8(fileBytes(work.filePath(QStringLiteral("calls.log")))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.documentAfter = fileBytes(work.filePath(document));
    return run;
}

// Where the document saved after an unreported fault differs from the faultless one, other than
// in the values that follow the clock (dates of the file and of the edit). A system value that
// could not be read is no such difference: its field and property show the error text instead.
QStringList unexplainedDifferences(const QByteArray &saved, const QByteArray &faultless)
{
    static const QStringList clockNames{QStringLiteral("Created"), QStringLiteral("Modified"), QStringLiteral("EditedOn")};
    const auto properties = [](const QJsonObject &doc) {
        QMap<QString, QString> values; // "level/name" -> value
        const QJsonObject levels = doc.value(QStringLiteral("customProperties")).toObject();
        for (auto level = levels.begin(); level != levels.end(); ++level)
            for (const QJsonValue &pair : level.value().toArray())
                if (!clockNames.contains(pair.toArray().at(0).toString()))
                    values.insert(level.key() + QLatin1Char('/') + pair.toArray().at(0).toString(),
                                  pair.toArray().at(1).toString());
        return values;
    };
    QJsonObject got = QJsonDocument::fromJson(saved).object();
    QJsonObject want = QJsonDocument::fromJson(faultless).object();
    QStringList found;
    const auto gotValues = properties(got);
    const auto wantValues = properties(want);
    if (gotValues.keys() != wantValues.keys())
        found << QStringLiteral("properties %1 instead of %2").arg(gotValues.keys().join(QLatin1Char(',')),
                                                                  wantValues.keys().join(QLatin1Char(',')));
    for (auto it = gotValues.begin(); it != gotValues.end(); ++it)
        if (it.value() != wantValues.value(it.key()) && !it.value().startsWith(QLatin1String("ERROR: ")))
            found << QStringLiteral("%1 = \"%2\" instead of \"%3\"").arg(it.key(), it.value(), wantValues.value(it.key()));
    got.remove(QStringLiteral("customProperties"));
    want.remove(QStringLiteral("customProperties"));
    if (got != want)
        found << QString::fromUtf8(QJsonDocument(got).toJson(QJsonDocument::Compact));
    return found;
}

// "Object.Member" of every logged call.
std::string members(const QStringList &calls)
{
    QStringList names;
    for (const QString &call : calls)
        names << call.section(QLatin1Char('('), 0, 0);
    return names.join(QLatin1Char(' ')).toStdString();
}

// The message boxes of a transcript that the faultless run did not show.
QStringList newMessageBoxes(const QString &transcript, const QString &faultless)
{
    QStringList boxes;
    for (const QString &line : transcript.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("MSGBOX")) && !faultless.contains(line))
            boxes << line;
    return boxes;
}

class FaultSweep : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    // The folder of the last run is left behind when a check fails.
    void TearDown() override { dir.setAutoRemove(!HasFailure()); }

    QTemporaryDir dir{scratchBase() + QStringLiteral("/fault-sweep-XXXXXX")};
};

} // namespace

TEST_F(FaultSweep, EveryFailingHostCallEndsInAMessageWithTheDocumentSafe)
{
    const QString root = dir.path();
    const QByteArray original = fileBytes(QDir(samples).filePath(document));

    // Every run in the same folder: the document's path is one of the values it saves.
    const QString session = QDir(root).filePath(QStringLiteral("session"));
    const SessionRun clean = runSession(session, 0);
    ASSERT_TRUE(clean.finished && !clean.crashed && clean.exitCode == 0) << clean.err.toStdString();
    ASSERT_NE(clean.documentAfter, original) << "the faultless session saves the document";
    ASSERT_FALSE(clean.calls.isEmpty());

    int completed = 0;
    int stopped = 0;
    int reported = 0;
    for (int n = 1; n <= clean.calls.size(); ++n) {
        const SessionRun run = runSession(session, n);
        const std::string what = "call " + std::to_string(n) + " " + clean.calls[n - 1].toStdString()
            + "\nstdout:\n" + run.out.toStdString() + "stderr:\n" + run.err.toStdString();
        ASSERT_TRUE(run.finished) << "hangs when " << what;
        ASSERT_FALSE(run.crashed) << "crashes when " << what;
        ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << "exit status " << run.exitCode << " when " << what;
        // The same session makes the same calls up to the one that fails (their arguments may
        // carry the time of day).
        ASSERT_GE(run.calls.size(), n) << what;
        EXPECT_EQ(members(run.calls.mid(0, n)), members(clean.calls.mid(0, n))) << what;

        const bool told = !newMessageBoxes(run.out, clean.out).isEmpty();
        if (run.exitCode == 0) {
            // Every line ran, the save included. A fault that no message box mentioned must show
            // in the document as an error text, or not at all. After a reported fault the script
            // saves what is there, as a person may.
            ++completed;
            if (!told)
                EXPECT_EQ(unexplainedDifferences(run.documentAfter, clean.documentAfter), QStringList())
                    << "a different document saved without a message when " << what;
        } else {
            // The run stopped before the save or in it: a message box told of the fault, or the
            // host reported it as the failure of the script line it hit (the script's own reads of
            // the document are host calls too). The file is as it was.
            ++stopped;
            const bool hostReported = run.err.contains(QStringLiteral("Injected fault in host call %1\n").arg(n));
            EXPECT_TRUE(told || hostReported) << "nothing tells of the fault when " << what;
            EXPECT_EQ(run.documentAfter, original) << "the unsaved document changed when " << what;
        }
        reported += told ? 1 : 0;
    }
    std::printf("fault sweep: %lld host calls failed one at a time; %d runs completed, %d stopped, %d showed a message box "
                "for the fault\n", static_cast<long long>(clean.calls.size()), completed, stopped, reported);
}
