// Document files under real tavik-host processes: two hosts saving one document, a full disk, a
// read-only file, a FIFO in a document's place, and Done after a Copy From... whose return to the
// editor's document failed.

#include "scratch_base.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString samples = QStringLiteral(TAVIK_SOURCE_DIR "/data/samples");

struct HostRun {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList calls;
};

class HostFiles : public ScratchTest {
protected:
    HostFiles() : ScratchTest(QStringLiteral("host-files")) {}

    QString sample(const QString &name, const QString &as = {})
    {
        const QString path = dir.filePath(as.isEmpty() ? name : as);
        EXPECT_TRUE(QFile::copy(QDir(samples).filePath(name), path));
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
        return path;
    }

    // tavik-host with the built add-in, a settings store of its own and a script, in the folder.
    void start(QProcess &host, const QString &name, const QByteArray &script, QStringList docs,
               QStringList extra = {})
    {
        const QString scriptPath = write(name + QStringLiteral(".script"), script);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        host.setProcessEnvironment(env);
        host.setWorkingDirectory(dir.path());
        host.start(QStringLiteral(TAVIK_HOST_PROGRAM),
                   QStringList{QStringLiteral("--addin"), QStringLiteral(TAVIK_PLUGIN), QStringLiteral("--settings"),
                               dir.filePath(name + QStringLiteral(".sqlite")), QStringLiteral("--call-log"),
                               dir.filePath(name + QStringLiteral(".calls")), QStringLiteral("--script"), scriptPath}
                       + extra + docs);
    }

    HostRun finish(QProcess &host, const QString &name)
    {
        HostRun run;
        if (!host.waitForFinished(120000)) {
            host.kill();
            host.waitForFinished();
            ADD_FAILURE() << name.toStdString() << " did not end";
        }
        run.exitCode = host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1;
        run.out = QString::fromUtf8(host.readAllStandardOutput());
        run.err = QString::fromUtf8(host.readAllStandardError());
        run.calls = QString::fromUtf8(readFile(dir.filePath(name + QStringLiteral(".calls"))))
                        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return run;
    }

    HostRun run(const QString &name, const QByteArray &script, const QStringList &docs, const QStringList &extra = {})
    {
        QProcess host;
        start(host, name, script, docs, extra);
        return finish(host, name);
    }
};

// The number (from 1) of the first call of member after call `after`, 0 when there is none.
int callAfter(const QStringList &calls, const QString &member, int after)
{
    for (int k = after; k < calls.size(); ++k)
        if (calls[k].startsWith(member + QLatin1Char('(')))
            return k + 1;
    return 0;
}

} // namespace

TEST_F(HostFiles, ASaveNeverWritesOverAnotherHostsSave)
{
    const QString doc = sample(QStringLiteral("Plate.sldprt"), QStringLiteral("Shared.sldprt"));
    // The first host has read the document when its script starts; it saves once the second
    // host has saved its edit.
    QProcess first;
    start(first, QStringLiteral("first"), "wait-file second-saved\nsave\n", {doc});
    ASSERT_TRUE(first.waitForReadyRead(60000)) << "the first host shows nothing";

    const HostRun second = run(QStringLiteral("second"),
                           "command\ntype 000:000:000:000 P4711\nclick done\nsave\n", {doc});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    const QByteArray saved = readFile(doc);
    ASSERT_TRUE(saved.contains("P4711"));
    writeFile(dir.filePath(QStringLiteral("second-saved")), "");

    const HostRun firstRun = finish(first, QStringLiteral("first"));
    EXPECT_EQ(firstRun.exitCode, 1) << "the question nobody answered fails the script";
    EXPECT_TRUE(firstRun.out.contains(QRegularExpression(
        QStringLiteral("MSGBOX\ttavik-host\t[^\t]*Shared.sldprt was changed by another program[^\t]*\tNo\n"))))
        << firstRun.out.toStdString();
    EXPECT_EQ(readFile(doc), saved) << "the second host's edit is kept";

    // Told to, a host writes over a file changed since it read it.
    QProcess third;
    start(third, QStringLiteral("third"), "answer Yes\nwait-file third-go\nsave\n", {doc});
    ASSERT_TRUE(third.waitForReadyRead(60000)) << "the third host shows nothing";
    writeFile(doc, QByteArray(saved).replace("P4711", "P4712"));
    writeFile(dir.filePath(QStringLiteral("third-go")), "");
    const HostRun thirdRun = finish(third, QStringLiteral("third"));
    EXPECT_EQ(thirdRun.exitCode, 0) << thirdRun.err.toStdString();
    EXPECT_TRUE(readFile(doc).contains("P4711") && !readFile(doc).contains("P4712"));
}

TEST_F(HostFiles, FullDiskReadOnlyFileAndFifoAreReportedAndKept)
{
    // A read-only document stays read-only when saved, also by root; others may not save it.
    const QString readOnly = sample(QStringLiteral("Plate.sldprt"), QStringLiteral("ReadOnly.sldprt"));
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    const HostRun kept = run(QStringLiteral("readonly"), "save\n", {readOnly});
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(readOnly).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    if (::geteuid() == 0)
        EXPECT_EQ(kept.exitCode, 0) << kept.err.toStdString();
    else
        EXPECT_TRUE(kept.err.contains(QStringLiteral("Permission denied"))) << kept.err.toStdString();

    // A FIFO where a document is expected is refused at once.
    const QString fifo = dir.filePath(QStringLiteral("Pipe.sldprt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const HostRun piped = run(QStringLiteral("fifo"), "open Pipe.sldprt\n", {});
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_TRUE(piped.err.contains(QStringLiteral("Pipe.sldprt: not a file"))) << piped.err.toStdString();

    // A full disk: a small file system of its own, filled up, in a mount namespace of this run.
    const QString mount = dir.filePath(QStringLiteral("small"));
    QDir().mkpath(mount);
    const QString plate = sample(QStringLiteral("Plate.sldprt"));
    const QString shell = QStringLiteral(
        "mount -t tmpfs -o size=256k tmpfs \"$1\" || exit 77\n"
        "cp \"$2\" \"$1/Plate.sldprt\" && dd if=/dev/zero of=\"$1/filler\" bs=4096 2>/dev/null\n"
        "\"$3\" --addin \"$4\" --settings \"$5\" --script \"$6\" \"$1/Plate.sldprt\"\n"
        "echo \"exit $?\"; ls -A \"$1\"; cmp -s \"$1/Plate.sldprt\" \"$2\" && echo unchanged\n");
    QProcess full;
    full.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    full.setProcessEnvironment(env);
    full.start(QStringLiteral("unshare"),
               {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"), shell, QStringLiteral("sh"), mount, plate,
                QStringLiteral(TAVIK_HOST_PROGRAM), QStringLiteral(TAVIK_PLUGIN), dir.filePath(QStringLiteral("full.sqlite")),
                write(QStringLiteral("full.script"), "save\n")});
    ASSERT_TRUE(full.waitForFinished(120000));
    const QString out = QString::fromUtf8(full.readAllStandardOutput());
    const QString err = QString::fromUtf8(full.readAllStandardError());
    if (full.exitStatus() != QProcess::NormalExit || full.exitCode() == 77 || !out.contains(QStringLiteral("exit ")))
        GTEST_SKIP() << "no small file system can be mounted here: " << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("exit 1\n"))) << out.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Plate.sldprt: the file cannot be written (No space left on device)")))
        << err.toStdString();
    EXPECT_TRUE(out.endsWith(QStringLiteral("Plate.sldprt\nfiller\nunchanged\n"))) << "no temporary file left: "
                                                                                     << out.toStdString();
}

TEST_F(HostFiles, DoneWritesOnlyIntoTheEditorsDocument)
{
    // Copy From... whose return to Plate fails leaves Gusset active: Done brings Plate back,
    // and when that fails too it writes nothing anywhere.
    const QStringList docs{sample(QStringLiteral("Gusset.sldprt")), sample(QStringLiteral("Plate.sldprt"))};
    const QByteArray script = "command\n"
                              "type 000:000:003:000 \"base plate\"\n"
                              "file Gusset.sldprt\nclick Copy\nclick done\n"
                              "click done\n"
                              "activate Gusset.sldprt\nexpect-prop \"\" Name GUSSET\n"
                              "activate Plate.sldprt\nprops\n";
    const HostRun clean = run(QStringLiteral("clean"), script, docs);
    ASSERT_EQ(clean.exitCode, 0) << clean.err.toStdString();
    const int back = callAfter(clean.calls, QStringLiteral("SldWorks.ActivateDoc2"),
                               callAfter(clean.calls, QStringLiteral("SldWorks.ActivateDoc2"), 0));
    ASSERT_GT(back, 0) << "Copy From... activates Gusset, then Plate again";

    const HostRun once = run(QStringLiteral("once"), script, docs, {QStringLiteral("--fail-call"), QString::number(back)});
    EXPECT_EQ(once.exitCode, 0) << once.err.toStdString();
    EXPECT_TRUE(once.out.contains(QStringLiteral("Problem reactivating original SW document")));
    EXPECT_TRUE(once.out.contains(QStringLiteral("PROP\t\"\"\tName\tBASE PLATE\n"))) << once.out.toStdString();

    const int again = callAfter(once.calls, QStringLiteral("SldWorks.ActivateDoc2"), back);
    ASSERT_GT(again, 0) << "Done activates Plate again";
    const HostRun twice = run(QStringLiteral("twice"), script, docs,
                          {QStringLiteral("--fail-call"), QString::number(back), QStringLiteral("--fail-call"),
                           QString::number(again)});
    EXPECT_EQ(twice.exitCode, 0) << twice.err.toStdString();
    EXPECT_TRUE(twice.out.contains(QStringLiteral("MSGBOX\tTavik: Error\tThe document this editor was opened on cannot be "
                                                  "made active again. Nothing was written.\tOK\n")))
        << twice.out.toStdString();
    EXPECT_FALSE(twice.out.contains(QStringLiteral("PROP\t"))) << "Plate holds nothing";
}
