// The item list on a large crawl: every link a worker finds goes through
// AddSorted (duplicate test, then insertion in priority order).
#include "engine/Task.h"
#include "engine/TaskItem.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kItems = 1000000;

// Distinct URLs on the task's host, a sibling host and foreign hosts, with
// lengths spread over a few hundred priorities, in random order.
std::vector<QString> CrawlUrls()
{
    const QString hosts[] = {"www.example.com", "img.example.com", "cdn.other.net", "ads.elsewhere.org"};
    std::mt19937 random(42);
    std::vector<QString> urls;
    urls.reserve(kItems);
    for (int i = 0; i < kItems; ++i) {
        const QString &host = hosts[random() % 4];
        urls.push_back(QStringLiteral("http://%1/%2/%3.jpg").arg(host, QString(random() % 120, u'd')).arg(i));
    }
    return urls;
}

const std::vector<QString> &Urls()
{
    static const std::vector<QString> urls = CrawlUrls();
    return urls;
}

std::unique_ptr<TTask> MakeTask()
{
    auto task = std::make_unique<TTask>();
    task->URL().SetURI(QStringLiteral("http://www.example.com/"));
    return task;
}

std::vector<TTaskItem *> MakeItems(TTask &task)
{
    std::vector<TTaskItem *> items;
    items.reserve(kItems);
    for (const QString &url : Urls())
        items.push_back(new TTaskItem(&task, url));
    return items;
}

// 1,000,000 AddSorted calls of distinct URLs into one list (the items are
// made beforehand: the figure is the list's own work).
void BM_AddSortedMillion(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto task = MakeTask();
        const std::vector<TTaskItem *> items = MakeItems(*task);
        state.ResumeTiming();
        for (TTaskItem *item : items)
            benchmark::DoNotOptimize(task->Items().AddSorted(item));
        state.PauseTiming();
        task.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_AddSortedMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same, counting the making of each item (URL split, priority) as a
// worker does it.
void BM_MakeAndAddSortedMillion(benchmark::State &state)
{
    for (auto _ : state) {
        auto task = MakeTask();
        for (const QString &url : Urls())
            benchmark::DoNotOptimize(task->Items().AddSorted(new TTaskItem(task.get(), url)));
        state.PauseTiming();
        task.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_MakeAndAddSortedMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

// IndexOfURL on a list of a million items: half the probes are present.
void BM_IndexOfURL(benchmark::State &state)
{
    static std::unique_ptr<TTask> task;
    if (!task) {
        task = MakeTask();
        for (TTaskItem *item : MakeItems(*task))
            task->Items().AddSorted(item);
    }
    std::mt19937 random(7);
    const std::vector<QString> &urls = Urls();
    const QString absent = QStringLiteral("http://www.example.com/not/there.jpg");
    for (auto _ : state) {
        const bool present = random() % 2;
        benchmark::DoNotOptimize(task->Items().IndexOfURL(present ? urls[random() % kItems] : absent));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IndexOfURL);

// A duplicate, the common case when a page links back to known pages.
void BM_AddSortedDuplicate(benchmark::State &state)
{
    auto task = MakeTask();
    for (TTaskItem *item : MakeItems(*task))
        task->Items().AddSorted(item);
    std::mt19937 random(9);
    const std::vector<QString> &urls = Urls();
    std::vector<std::unique_ptr<TTaskItem>> probes;
    for (int i = 0; i < 1024; ++i)
        probes.emplace_back(new TTaskItem(task.get(), urls[random() % kItems]));
    size_t next = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(task->Items().AddSorted(probes[next++ % probes.size()].get()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddSortedDuplicate);

// Walking the whole list by index, as the dispatch looks for waiting items.
void BM_GetWalk(benchmark::State &state)
{
    auto task = MakeTask();
    for (TTaskItem *item : MakeItems(*task))
        task->Items().AddSorted(item);
    for (auto _ : state) {
        const int count = task->Items().Count();
        for (int i = 0; i < count; ++i)
            benchmark::DoNotOptimize(task->Items().Get(i));
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_GetWalk)->Unit(benchmark::kMillisecond);

} // namespace
