// tavik-batch on many documents: an export of 10,000 generated documents (each with two
// configurations) against Python's json module merely reading the same files in the same run, the
// peak memory after 1,000 and after 10,000 documents (it must not grow with the count), and an
// import of a sheet that changes 1,000 documents. The ratio export / Python is printed; 1.0 or
// less means the export is at least as fast.

#include "batch/batch_configuration.h"
#include "batch/batch_export.h"
#include "batch/batch_import.h"
#include "batch/csv.h"
#include "batch/progress.h"
#include "platform/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Folders = 100;
constexpr int PerFolder = 100;

QByteArray documentText(int n)
{
    return QStringLiteral(R"({
  "type": 1,
  "title": "P%1.SLDPRT",
  "configurations": ["Default", "Long"],
  "activeConfiguration": "Default",
  "customProperties": {
    "": [["Project", "P4711"], ["PartNo", "%2-ABCD"], ["Name", "BRACKET %1"], ["Material", "Steel S235JR"],
         ["Finish", "Zinc plated"], ["Description", "BRACKET %1, S235JR, ZN8"], ["Comment", "Deburr all edges"]],
    "Default": [["PartNo", "%2-ABCD"], ["Name", "BRACKET %1"], ["StockLength", "180"]],
    "Long": [["PartNo", "%2-ABCE"], ["Name", "BRACKET %1"], ["StockLength", "250"]]
  },
  "summaryInfo": {"title": "", "subject": "", "author": "JK", "keywords": "", "comments": "", "savedBy": ""},
  "lengthUnit": 0, "unitsString": "mm", "density": 7850.0,
  "massProperties": [0, 0, 0, 1.2e-5, 0.0031, 0.0942],
  "attributes": [{"name": "TavikAttribute", "definition": "pub_Tavik", "parameters": {"USE_CONFIGS": 1.0, "USE_FRAME": 0.0}}]
}
)")
        .arg(n)
        .arg(n % 1000, 3, 10, QLatin1Char('0'))
        .toUtf8();
}

QString folderOf(const QString &root, int f)
{
    return root + QStringLiteral("/f%1").arg(f, 3, 10, QLatin1Char('0'));
}

QString documentPath(const QString &root, int n)
{
    return folderOf(root, n / PerFolder) + QStringLiteral("/p%1.sldprt").arg(n, 5, 10, QLatin1Char('0'));
}

bool writeDocuments(const QString &root)
{
    for (int f = 0; f < Folders; ++f) {
        if (!QDir().mkpath(folderOf(root, f)))
            return false;
        for (int k = 0; k < PerFolder; ++k) {
            QFile file(documentPath(root, f * PerFolder + k));
            const QByteArray text = documentText(f * PerFolder + k);
            if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
                return false;
        }
    }
    return true;
}

// The process's peak resident memory in kB.
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

// Seconds that Python's json module takes to read every document under root, timed inside Python
// so that its start-up does not count; -1 when Python cannot be run.
double pythonSeconds(const QString &root)
{
    const char *script = "import json, os, sys, time\n"
                         "t = time.perf_counter()\n"
                         "n = 0\n"
                         "for d, dirs, files in os.walk(sys.argv[1]):\n"
                         "    dirs.sort()\n"
                         "    for f in sorted(files):\n"
                         "        if f.endswith('.sldprt'):\n"
                         "            with open(os.path.join(d, f), encoding='utf-8') as fh:\n"
                         "                json.load(fh)\n"
                         "            n += 1\n"
                         "print(time.perf_counter() - t, n)\n";
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromLatin1(script), root});
    if (!python.waitForFinished(600000) || python.exitCode() != 0)
        return -1;
    return python.readAllStandardOutput().split(' ').front().toDouble();
}

double exportSeconds(const tavik::BatchConfiguration &config, const QStringList &paths, FILE *sink, qint64 &rows)
{
    QElapsedTimer clock;
    clock.start();
    const tavik::ExportOutcome outcome
        = tavik::exportDocuments(config, {paths, tavik::SheetFormat::Csv, false}, sink, sink);
    rows = outcome.rows;
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString error;
    const std::optional<tavik::BatchConfiguration> config
        = tavik::loadBatchConfiguration(QStringLiteral(TAVIK_SOURCE_DIR "/data"), error);
    if (!dir.isValid() || !config || !writeDocuments(dir.filePath(QStringLiteral("docs")))) {
        std::fprintf(stderr, "batch_export_bench: cannot set up: %s\n", qPrintable(error));
        return 1;
    }
    const QString root = dir.filePath(QStringLiteral("docs"));
    FILE *sink = std::fopen("/dev/null", "w");

    // Memory: a tenth of the documents first, then all of them.
    QStringList tenth;
    for (int f = 0; f < Folders / 10; ++f)
        tenth << folderOf(root, f);
    qint64 rows = 0;
    exportSeconds(*config, tenth, sink, rows);
    const long peakTenth = peakKb();

    // Speed: the best of three runs each, Python and the export taking turns.
    double python = -1, ours = -1;
    for (int run = 0; run < 3; ++run) {
        const double p = pythonSeconds(root);
        const double o = exportSeconds(*config, {root}, sink, rows);
        python = python < 0 || (p >= 0 && p < python) ? p : python;
        ours = ours < 0 || o < ours ? o : ours;
    }
    const long peakAll = peakKb();

    std::printf("export of %d documents (%lld rows): %.3f s, %.0f documents/s\n", Folders * PerFolder,
        static_cast<long long>(rows), ours, Folders * PerFolder / ours);
    if (python > 0)
        std::printf("python json reading the same files: %.3f s\nratio export / python: %.2f\n", python, ours / python);
    else
        std::printf("python json: not run (python3 missing or failed)\n");
    std::printf("peak memory after %d documents: %ld kB, after %d: %ld kB\n", Folders * PerFolder / 10, peakTenth,
        Folders * PerFolder, peakAll);

    // Import: a sheet changing the comment of 1,000 documents.
    QByteArray sheetText;
    tavik::appendCsvRecord(
        sheetText, {QStringLiteral("path"), QStringLiteral("configuration"), QStringLiteral("Comment")});
    for (int n = 0; n < 1000; ++n)
        tavik::appendCsvRecord(sheetText, {documentPath(root, n * 10), QString(), QStringLiteral("Changed %1").arg(n)});
    QElapsedTimer clock;
    clock.start();
    const tavik::Sheet sheet = tavik::readSheet(sheetText, tavik::SheetFormat::Csv);
    tavik::Progress quiet(sink, -1);
    tavik::ImportPlan plan = tavik::planImport(*config, sheet, quiet);
    const double planned = clock.nsecsElapsed() / 1e9;
    tavik::SettingsStore settings(dir.filePath(QStringLiteral("settings.sqlite")));
    tavik::ImportJournal journal(settings);
    tavik::ImportRecord record;
    record.documents = std::move(plan.documents);
    const tavik::ApplyOutcome applied = tavik::applyImport(record, journal, quiet);
    const double total = clock.nsecsElapsed() / 1e9;
    std::printf("import of %lld changes: checked in %.3f s, written and journalled in %.3f s (%lld saved, %lld refused "
                "cells)\n",
        static_cast<long long>(record.changeCount()), planned, total - planned, static_cast<long long>(applied.saved),
        static_cast<long long>(plan.refusals()));
    std::fclose(sink);
    return 0;
}
