#pragma once
// What the draw benchmarks share: a scratch folder for their stores, and the several-process
// cases, in which each iteration starts copies of the benchmark program in its worker mode and
// waits for all of them.

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace bench {

inline QString scratchFolder()
{
    static QTemporaryDir dir;
    return dir.path();
}

// Starts `processes` workers with workerArguments (which end in the number of draws each makes)
// per iteration; a worker that fails ends the benchmark with an error.
inline void runWorkerProcesses(
    benchmark::State &state, int processes, int drawsEach, const QStringList &workerArguments)
{
    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> workers;
        for (int p = 0; p < processes; ++p) {
            workers.push_back(std::make_unique<QProcess>());
            workers.back()->start(QCoreApplication::applicationFilePath(), workerArguments);
        }
        for (auto &w : workers)
            if (!w->waitForFinished(-1) || w->exitCode() != 0) {
                state.SkipWithError("a worker failed");
                return;
            }
    }
    state.SetItemsProcessed(state.iterations() * processes * drawsEach);
}

} // namespace bench
