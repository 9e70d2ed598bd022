// The configuration loader on large generated configurations (4,400 and 44,000 items), against
// xmllint validating the same two files in the same run. Both parse the schema and the
// configuration and validate; the loader also builds the model. Printed at the end: the ratio
// loader / xmllint for each size, how each grows from the small size to the large one (10 when
// linear), and the peak memory of one load against one xmllint run on the large configuration,
// each in a fresh child process.

#include "large_configuration.h"

#include "config/loader.h"
#include "config/shared_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

// The run names below ("BM_Loader/10") carry these numbers.
constexpr int SmallFrames = 10; // 4,400 items
constexpr int LargeFrames = 100; // 44,000 items
constexpr int HugeFrames = 1000; // 440,000 items
const char *const PeakLoadOption = "--peak-load";
const char *const PeakEditorLoadOption = "--peak-editor-load";

struct Fixture {
    QTemporaryDir dir;
    tavik::bench::LargeConfiguration config;
    bool ready = false;

    explicit Fixture(int frames)
    {
        config.frames = frames;
        ready = dir.isValid()
            && tavik::bench::writeLargeConfiguration(
                config, dir.path(), QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xsd"));
    }
    QString xml() const { return dir.filePath(QStringLiteral("Tavik.xml")); }
    QString xsd() const { return dir.filePath(QStringLiteral("Tavik.xsd")); }
};

Fixture &fixture(int frames)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto &f = fixtures[frames];
    if (!f)
        f = std::make_unique<Fixture>(frames);
    return *f;
}

QString xmllintPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("xmllint"));
}

bool loadOnce(const QString &folder, QString *error)
{
    const tavik::SystemValueReader noSystemValues = [](const QString &) { return QString(); };
    tavik::SharedState state;
    state.addinFolder = folder;
    if (!tavik::loadConfiguration(state, noSystemValues)) {
        if (error)
            *error = state.errorTitle + QLatin1Char(' ') + state.errorMessage;
        return false;
    }
    benchmark::DoNotOptimize(state.frames.data());
    return true;
}

// The editor's load, which must refuse the configuration as past the layout's limits.
bool refusedForEditor(const QString &folder)
{
    const tavik::SystemValueReader noSystemValues = [](const QString &) { return QString(); };
    tavik::SharedState state;
    state.addinFolder = folder;
    return !tavik::loadConfigurationForEditor(state, noSystemValues) && state.errorTitle == QLatin1String("Fatal Error")
        && state.errorMessage.contains(QLatin1String("the editor can make"));
}

void BM_EditorRefusal(benchmark::State &st)
{
    Fixture &f = fixture(int(st.range(0)));
    if (!f.ready) {
        st.SkipWithError("could not write the configuration");
        return;
    }
    for (auto _ : st)
        if (!refusedForEditor(f.dir.path())) {
            st.SkipWithError("the editor's load did not refuse the configuration as too large");
            return;
        }
    st.counters["items"] = f.config.itemCount();
}

void BM_Loader(benchmark::State &st)
{
    Fixture &f = fixture(int(st.range(0)));
    if (!f.ready) {
        st.SkipWithError("could not write the configuration");
        return;
    }
    for (auto _ : st) {
        QString error;
        if (!loadOnce(f.dir.path(), &error)) {
            st.SkipWithError(qPrintable(error));
            return;
        }
    }
    st.counters["items"] = f.config.itemCount();
}

void BM_Xmllint(benchmark::State &st)
{
    Fixture &f = fixture(int(st.range(0)));
    const QString xmllint = xmllintPath();
    if (!f.ready || xmllint.isEmpty()) {
        st.SkipWithError("xmllint (libxml2-utils) not found");
        return;
    }
    for (auto _ : st) {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"), f.xsd(), f.xml()});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            st.SkipWithError("xmllint refused the configuration");
            return;
        }
    }
    st.counters["items"] = f.config.itemCount();
}

BENCHMARK(BM_Loader)->Arg(SmallFrames)->Arg(LargeFrames)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Xmllint)->Arg(SmallFrames)->Arg(LargeFrames)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorRefusal)->Arg(HugeFrames)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Xmllint)->Arg(HugeFrames)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

const char *const PeakOfOption = "--peak-of";

// Runs the program with its arguments as a child and prints the child's peak resident memory in
// kB; exit status 1 when it could not run or failed. Run in a small process of its own: a child
// started straight from the benchmark would count the benchmark's own memory, which Linux carries
// into a child's peak across fork and exec.
int printPeakOfChild(char **argv)
{
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0)
        return 1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 1;
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

// The peak memory of the program run with the arguments, in kB; -1 when it failed.
long peakOfChild(const QStringList &args)
{
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QCoreApplication::applicationFilePath(), QStringList{QLatin1String(PeakOfOption)} + args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return -1;
    bool ok = false;
    const long kb = QString::fromLatin1(p.readAllStandardOutput()).trimmed().toLong(&ok);
    return ok ? kb : -1;
}

void printPeakMemory()
{
    Fixture &f = fixture(LargeFrames);
    const QString xmllint = xmllintPath();
    if (!f.ready || xmllint.isEmpty())
        return;
    const long loader
        = peakOfChild({QCoreApplication::applicationFilePath(), QLatin1String(PeakLoadOption), f.dir.path()});
    const long lint = peakOfChild({xmllint, QStringLiteral("--noout"), QStringLiteral("--schema"), f.xsd(), f.xml()});
    if (loader > 0 && lint > 0)
        std::printf("peak memory loader / xmllint (%d items): %.2f (%ld kB / %ld kB)\n", f.config.itemCount(),
            double(loader) / double(lint), loader, lint);

    Fixture &huge = fixture(HugeFrames);
    if (!huge.ready)
        return;
    const long refusal = peakOfChild(
        {QCoreApplication::applicationFilePath(), QLatin1String(PeakEditorLoadOption), huge.dir.path()});
    const long hugeLint
        = peakOfChild({xmllint, QStringLiteral("--noout"), QStringLiteral("--schema"), huge.xsd(), huge.xml()});
    if (refusal > 0 && hugeLint > 0)
        std::printf("peak memory editor refusal / xmllint (%d items): %.2f (%ld kB / %ld kB)\n",
            huge.config.itemCount(), double(refusal) / double(hugeLint), refusal, hugeLint);
}

// Keeps the real time per iteration of every benchmark and prints the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                m_realTime[run.run_name.function_name + '/' + run.run_name.args] = run.GetAdjustedRealTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        ratio("loader / xmllint: %.2f\n", "BM_Loader/10", "BM_Xmllint/10");
        ratio("loader / xmllint (44,000 items): %.2f\n", "BM_Loader/100", "BM_Xmllint/100");
        ratio("loader 44,000 / 4,400 items: %.2f (10 when linear)\n", "BM_Loader/100", "BM_Loader/10");
        ratio("xmllint 44,000 / 4,400 items: %.2f\n", "BM_Xmllint/100", "BM_Xmllint/10");
        ratio("editor refusal / xmllint (440,000 items): %.3f\n", "BM_EditorRefusal/1000", "BM_Xmllint/1000");
    }

private:
    void ratio(const char *format, const std::string &top, const std::string &bottom) const
    {
        const auto a = m_realTime.find(top);
        const auto b = m_realTime.find(bottom);
        if (a != m_realTime.end() && b != m_realTime.end() && b->second > 0)
            std::printf(format, a->second / b->second);
    }

    std::map<std::string, double> m_realTime;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], PeakOfOption) == 0)
        return printPeakOfChild(argv + 2);
    QCoreApplication app(argc, argv);
    // The child that printPeakMemory measures: one load of the given folder, nothing else.
    if (argc == 3 && std::strcmp(argv[1], PeakLoadOption) == 0)
        return loadOnce(QString::fromLocal8Bit(argv[2]), nullptr) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], PeakEditorLoadOption) == 0)
        return refusedForEditor(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printPeakMemory();
    benchmark::Shutdown();
    return 0;
}
