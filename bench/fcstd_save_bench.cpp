// Saving a FreeCAD document, as whole processes in the same run: tavik-host opening the document,
// running the add-in's command, pressing Done and saving, against freecadcmd opening the same
// document and saving it. Each run works on a fresh copy in a scratch folder. The iteration time
// is Tavik's; "freecad_ms" is FreeCAD's and "ratio" Tavik / FreeCAD (1.0 or less: Tavik is at
// least as fast).
//
// The document is data/samples/Block.FCStd unless --document=PATH names another; when that is
// not a FreeCAD document (a .sldprt, say), FreeCAD still saves Block.FCStd and the ratio only
// compares the two programs' overheads.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

const char *const DocumentOption = "--document=";

QString tavikDocument = QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Block.FCStd");

QString freeCadDocument()
{
    return tavikDocument.endsWith(QLatin1String(".FCStd"), Qt::CaseInsensitive)
        ? tavikDocument
        : QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/Block.FCStd");
}

// Runs a program to its end in folder with the given environment on top of ours; its run time
// in seconds, or -1 (with its standard error in error) when it fails.
double timedRun(const QString &program, const QStringList &arguments, const QString &folder,
    const QStringList &environment, QString &error)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &setting : environment)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error = QStringLiteral("%1 failed (%2): %3")
                    .arg(QFileInfo(program).fileName(), QString::number(process.exitCode()),
                        QString::fromLocal8Bit(process.readAllStandardError()).trimmed().left(500));
        return -1;
    }
    return seconds;
}

// A fresh folder holding a copy of document; the copy's path, or empty.
QString copyInto(const QTemporaryDir &scratch, const QString &name, const QString &document)
{
    const QString folder = scratch.filePath(name);
    QDir(folder).removeRecursively();
    const QString copy = folder + '/' + QFileInfo(document).fileName();
    return QDir().mkpath(folder) && QFile::copy(document, copy) ? copy : QString();
}

// tavik-host --script: the add-in's command, Done, then the host saves. No configuration of the
// machine or the user is searched.
double tavikSeconds(const QTemporaryDir &scratch, QString &error)
{
    const QString copy = copyInto(scratch, QStringLiteral("tavik"), tavikDocument);
    const QString folder = QFileInfo(copy).absolutePath();
    const QString script = folder + QStringLiteral("/save.script");
    QFile file(script);
    if (copy.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write("command\nclick done\nsave\n") < 0) {
        error = QStringLiteral("cannot set up the Tavik run in %1").arg(folder);
        return -1;
    }
    file.close();
    return timedRun(QStringLiteral(TAVIK_HOST),
        {QStringLiteral("--addin"), QStringLiteral(TAVIK_PLUGIN), QStringLiteral("--settings"),
            folder + QStringLiteral("/settings.sqlite"), QStringLiteral("--script"), script, copy},
        folder,
        {QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("TAVIK_CONFIG_DIR="),
            "XDG_CONFIG_HOME=" + folder + "/no-xdg-home", "XDG_CONFIG_DIRS=" + folder + "/no-xdg"},
        error);
}

// freecadcmd opening the copy and saving it, its user settings in the scratch folder.
double freeCadSeconds(const QTemporaryDir &scratch, const QString &freecad, QString &error)
{
    const QString copy = copyInto(scratch, QStringLiteral("freecad"), freeCadDocument());
    const QString folder = QFileInfo(copy).absolutePath();
    const QString script = folder + QStringLiteral("/save.py");
    QFile file(script);
    const QByteArray python = "import os, sys\n"
                              "import FreeCAD\n"
                              "try:\n"
                              "    d = FreeCAD.openDocument(os.environ['TAVIK_BENCH_DOCUMENT'])\n"
                              "    d.save()\n"
                              "except Exception as e:\n"
                              "    sys.stderr.write('%s\\n' % e)\n"
                              "    sys.exit(1)\n"
                              "sys.exit(0)\n";
    if (copy.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(python) != python.size()) {
        error = QStringLiteral("cannot set up the FreeCAD run in %1").arg(folder);
        return -1;
    }
    file.close();
    return timedRun(freecad, {script}, folder,
        {"TAVIK_BENCH_DOCUMENT=" + copy, "FREECAD_USER_HOME=" + scratch.filePath(QStringLiteral("freecad-home"))},
        error);
}

void BM_SaveDocument(benchmark::State &state)
{
    QTemporaryDir scratch;
    const QString freecad = QStandardPaths::findExecutable(QStringLiteral("freecadcmd"));
    if (!scratch.isValid()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    double tavik = 0, freeCad = 0;
    for (auto _ : state) {
        QString error;
        const double t = tavikSeconds(scratch, error);
        const double f = freecad.isEmpty() ? 0 : freeCadSeconds(scratch, freecad, error);
        if (t < 0 || f < 0) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        state.SetIterationTime(t);
        tavik += t;
        freeCad += f;
    }
    const double n = double(state.iterations());
    state.counters["tavik_ms"] = tavik * 1000 / n;
    state.counters["freecad_ms"] = freeCad * 1000 / n;
    state.counters["ratio"] = freeCad > 0 ? tavik / freeCad : 0.0;
    state.SetLabel(QFileInfo(tavikDocument).fileName().toStdString()
        + (freecad.isEmpty() ? " (freecadcmd not found: no FreeCAD figure)"
                             : " vs " + QFileInfo(freeCadDocument()).fileName().toStdString()));
}

BENCHMARK(BM_SaveDocument)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    // Our own option first; Google Benchmark refuses arguments it does not know.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], DocumentOption, std::strlen(DocumentOption)) == 0)
            tavikDocument = QFileInfo(QString::fromLocal8Bit(argv[i] + std::strlen(DocumentOption))).absoluteFilePath();
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (!QFileInfo(tavikDocument).isFile()) {
        std::fprintf(stderr, "fcstd_save_bench: no document %s\n", qPrintable(tavikDocument));
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
