// Serial-number draws per second from the numbering server, one client and several at once,
// against the per-user counters in the same run. The ratio remote/local is the figure to watch:
// the server adds a round trip over loopback, the audit row and the server's commit.
//
// Needs the server of scripts/pg-test-server (TAVIK_PG_* variables); without it the remote cases
// report an error and the local ones still run. The several-client cases start this program again
// in a worker mode:
//   remote_draw_bench --worker remote|local STORE-OR-HOST PORT DRAWS

#include "platform/settings_store.h"
#include "serial/remote_counter_store.h"
#include "serial/test_pg_server.h"
#include "worker_processes.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

using tavik::test::TestPgServer;

const QString Counter = QStringLiteral("Project·4711");

// The server with a schema of this run's own, set up once; its libpq variables pass on to the
// workers.
std::optional<TestPgServer> &server()
{
    static std::optional<TestPgServer> s = [] {
        std::optional<TestPgServer> found = TestPgServer::fromEnvironment();
        if (found)
            found->useFreshSchema();
        return found;
    }();
    return s;
}

QString documentTitle()
{
    return QStringLiteral("Bench.sldprt");
}

int worker(const QString &mode, const QString &where, int port, int draws)
{
    try {
        std::unique_ptr<tavik::SettingsStore> settings;
        std::unique_ptr<tavik::CounterStore> counters;
        if (mode == QLatin1String("remote")) {
            counters = std::make_unique<tavik::RemoteCounterStore>(
                tavik::RemoteCounterStore::Server{where, port}, documentTitle);
        } else {
            settings = std::make_unique<tavik::SettingsStore>(where);
            counters = std::make_unique<tavik::LocalCounterStore>(*settings);
        }
        for (int i = 0; i < draws; ++i)
            if (counters->next(Counter, true).outcome != tavik::CounterStore::Outcome::Drawn)
                return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

void BM_LocalDraw(benchmark::State &state)
{
    tavik::SettingsStore settings(bench::scratchFolder() + QStringLiteral("/local-one.sqlite"));
    tavik::LocalCounterStore counters(settings);
    for (auto _ : state)
        benchmark::DoNotOptimize(counters.next(Counter, true));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LocalDraw)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RemoteDraw(benchmark::State &state)
{
    if (!server()) {
        state.SkipWithError(TestPgServer::SkipReason);
        return;
    }
    tavik::RemoteCounterStore counters({server()->host, server()->port}, documentTitle);
    counters.next(Counter, true); // connects and creates the tables outside the timing
    for (auto _ : state)
        benchmark::DoNotOptimize(counters.next(Counter, true));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RemoteDraw)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Each iteration starts range(0) processes that draw range(1) times each from one counter; the
// time includes starting the processes and connecting, the same for both stores.
void severalClients(benchmark::State &state, const char *mode)
{
    const int processes = int(state.range(0));
    const int draws = int(state.range(1));
    QStringList where;
    if (std::strcmp(mode, "remote") == 0) {
        if (!server()) {
            state.SkipWithError(TestPgServer::SkipReason);
            return;
        }
        where = {server()->host, QString::number(server()->port)};
    } else {
        where = {bench::scratchFolder() + QStringLiteral("/local-several.sqlite"), QStringLiteral("0")};
    }
    bench::runWorkerProcesses(state, processes, draws,
        QStringList{QStringLiteral("--worker"), QLatin1String(mode)} + where + QStringList{QString::number(draws)});
}

void BM_LocalDrawSeveralClients(benchmark::State &state)
{
    severalClients(state, "local");
}
void BM_RemoteDrawSeveralClients(benchmark::State &state)
{
    severalClients(state, "remote");
}
BENCHMARK(BM_LocalDrawSeveralClients)->Args({1, 200})->Args({4, 50})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RemoteDrawSeveralClients)->Args({1, 200})->Args({4, 50})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 6 && std::strcmp(argv[1], "--worker") == 0)
        return worker(
            QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
