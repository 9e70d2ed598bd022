// The configuration loader on a large generated configuration, against xmllint validating the
// same two files in the same run. Both parse the schema and the configuration and validate; the
// loader also builds the model. The ratio loader / xmllint is printed at the end.

#include "large_configuration.h"

#include "config/loader.h"
#include "config/model.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

struct Fixture {
    QTemporaryDir dir;
    tavik::bench::LargeConfiguration config;
    bool ready = false;

    Fixture()
    {
        ready = dir.isValid()
            && tavik::bench::writeLargeConfiguration(
                   config, dir.path(), QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xsd"));
    }
    QString xml() const { return dir.filePath(QStringLiteral("Tavik.xml")); }
    QString xsd() const { return dir.filePath(QStringLiteral("Tavik.xsd")); }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_Loader(benchmark::State &st)
{
    Fixture &f = fixture();
    if (!f.ready) {
        st.SkipWithError("could not write the configuration");
        return;
    }
    const tavik::SystemValueReader noSystemValues = [](const QString &) { return QString(); };
    for (auto _ : st) {
        tavik::SharedState state;
        state.addinFolder = f.dir.path();
        if (!tavik::loadConfiguration(state, noSystemValues)) {
            st.SkipWithError(qPrintable(state.errorTitle + QLatin1Char(' ') + state.errorMessage));
            return;
        }
        benchmark::DoNotOptimize(state.frames.data());
    }
    st.counters["items"] = f.config.itemCount();
}

void BM_Xmllint(benchmark::State &st)
{
    Fixture &f = fixture();
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
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

BENCHMARK(BM_Loader)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Xmllint)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps the real time per iteration of every benchmark and prints the ratio after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                m_realTime[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto loader = m_realTime.find("BM_Loader");
        const auto xmllint = m_realTime.find("BM_Xmllint");
        if (loader != m_realTime.end() && xmllint != m_realTime.end() && xmllint->second > 0)
            std::printf("loader / xmllint: %.2f\n", loader->second / xmllint->second);
    }

private:
    std::map<std::string, double> m_realTime;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
