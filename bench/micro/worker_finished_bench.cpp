// What the end of one worker costs the main thread as the task's item list
// grows: marking the item done, the search for waiting items to start and
// the count of running workers must not walk the whole list.
#include "engine/Task.h"
#include "engine/TaskItem.h"
#include "engine/TaskThread.h"

#include <QCoreApplication>
#include <QString>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "worker_finished_bench";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

// Gives `task` a start URL and `count` picture items at depth 1, item i done
// when done(i) says so.
void FillTask(TTask &task, int count, const std::function<bool(int)> &done)
{
    task.URL().SetURI(QStringLiteral("http://bench.example/index.html"));
    for (int i = 0; i < count; ++i) {
        auto *item = new TTaskItem(&task, QStringLiteral("http://bench.example/p/%1.jpg").arg(i, 6, 10, QLatin1Char('0')));
        item->SetDepth(1);
        item->SetDone(done(i));
        task.Items().AddSorted(item);
    }
}

// A task of `count` items, all done but the last, which is the one whose
// worker ends: the search for the next waiting item finds none, so nothing
// starts and the measure is the bookkeeping alone. The item is made running
// again after each end (outside the dispatch rules, on purpose).
void BM_WorkerFinished(benchmark::State &state)
{
    EnsureApplication();
    const int count = int(state.range(0));
    TTask task;
    FillTask(task, count, [count](int i) { return i + 1 < count; });
    TTaskItem *last = nullptr;
    for (TTaskItem *item : task.Items().ToList())
        if (!item->Done())
            last = item;
    TTaskThread worker(&task, last->URL().URI(), last); // never started
    task.SetStopped(false);
    for (auto _ : state) {
        last->SetDone(false);
        task.SetRunning(last, true);
        task.SetStopped(false);
        task.WorkerFinished(&worker);
        benchmark::DoNotOptimize(task.RunningCount());
    }
    state.counters["items"] = count;
}
BENCHMARK(BM_WorkerFinished)->RangeMultiplier(10)->Range(1000, 100000);

// Mid-crawl: seven other workers run and waiting items lie behind every done
// one, so the end starts nothing (seven still run) but must find the first
// waiting item and count the running ones.
void BM_WorkerFinishedWhileSevenRun(benchmark::State &state)
{
    EnsureApplication();
    const int count = int(state.range(0));
    TTask task;
    FillTask(task, count, [count](int i) { return i < count - 100; });
    const QList<TTaskItem *> items = task.Items().ToList();
    TTaskItem *ending = items[count - 100];
    for (int i = 1; i <= 7; ++i)
        task.SetRunning(items[count - 100 + i], true);
    TTaskThread worker(&task, ending->URL().URI(), ending); // never started
    for (auto _ : state) {
        ending->SetDone(false);
        task.SetRunning(ending, true);
        task.SetStopped(false);
        task.WorkerFinished(&worker);
        benchmark::DoNotOptimize(task.RunningCount());
    }
    for (int i = 1; i <= 7; ++i)
        task.SetRunning(items[count - 100 + i], false);
    state.counters["items"] = count;
}
BENCHMARK(BM_WorkerFinishedWhileSevenRun)->RangeMultiplier(10)->Range(1000, 100000);

} // namespace
