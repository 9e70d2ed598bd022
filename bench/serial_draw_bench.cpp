// Serial-number draws per second, from one process and from several at once, against bare SQLite
// increments of one row on the same disk in the same run. The ratio draw/bare is the figure to
// watch: the draw adds the case-insensitive lookup, the write lock and the text conversions.
//
// The several-process cases start this program again in a worker mode:
//   serial_draw_bench --worker draw|bare STORE DRAWS

#include "platform/settings_store.h"
#include "platform/wait_limit.h"
#include "serial/counter_store.h"
#include "worker_processes.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

const QString Counter = QStringLiteral("Project·4711");

// The baseline: one row, one autocommit UPDATE per draw, same durability settings as the store.
class BareCounter {
public:
    explicit BareCounter(const QString &path)
    {
        if (sqlite3_open(path.toUtf8().constData(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot open bare counter");
        sqlite3_busy_timeout(m_db, tavik::waitLimitSeconds() * 1000);
        exec("CREATE TABLE IF NOT EXISTS c (id INTEGER PRIMARY KEY, n INTEGER NOT NULL)");
        exec("INSERT OR IGNORE INTO c VALUES (1, 0)");
        sqlite3_prepare_v2(m_db, "UPDATE c SET n = n + 1 WHERE id = 1", -1, &m_update, nullptr);
    }
    ~BareCounter()
    {
        sqlite3_finalize(m_update);
        sqlite3_close(m_db);
    }
    void increment()
    {
        if (sqlite3_step(m_update) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        sqlite3_reset(m_update);
    }

private:
    void exec(const char *sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_update = nullptr;
};

int worker(const QString &mode, const QString &path, int draws)
{
    try {
        if (mode == QLatin1String("bare")) {
            BareCounter bare(path);
            for (int i = 0; i < draws; ++i)
                bare.increment();
        } else {
            tavik::SettingsStore settings(path);
            tavik::LocalCounterStore counters(settings);
            for (int i = 0; i < draws; ++i)
                if (counters.next(Counter, true).outcome != tavik::CounterStore::Outcome::Drawn)
                    return 1;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

void BM_BareIncrement(benchmark::State &state)
{
    BareCounter bare(bench::scratchFolder() + QStringLiteral("/bare-one.sqlite"));
    for (auto _ : state)
        bare.increment();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareIncrement)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Draw(benchmark::State &state)
{
    tavik::SettingsStore settings(bench::scratchFolder() + QStringLiteral("/draw-one.sqlite"));
    tavik::LocalCounterStore counters(settings);
    for (auto _ : state)
        benchmark::DoNotOptimize(counters.next(Counter, true));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Draw)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Each iteration starts range(0) processes that draw range(1) times each from one counter.
void severalProcesses(benchmark::State &state, const char *mode)
{
    const int processes = int(state.range(0));
    const int draws = int(state.range(1));
    const QString path = bench::scratchFolder() + QStringLiteral("/%1-several.sqlite").arg(QLatin1String(mode));
    bench::runWorkerProcesses(
        state, processes, draws, {QStringLiteral("--worker"), QLatin1String(mode), path, QString::number(draws)});
}

void BM_BareIncrementSeveralProcesses(benchmark::State &state)
{
    severalProcesses(state, "bare");
}
void BM_DrawSeveralProcesses(benchmark::State &state)
{
    severalProcesses(state, "draw");
}
BENCHMARK(BM_BareIncrementSeveralProcesses)
    ->Args({1, 200})
    ->Args({4, 50})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_DrawSeveralProcesses)->Args({1, 200})->Args({4, 50})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--worker") == 0)
        return worker(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
