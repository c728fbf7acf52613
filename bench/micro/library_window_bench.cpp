// The library window over 100,000 records: how long it takes to open (made,
// shown and painted once), how long its loader takes to fill the list, and
// the longest time the window's event loop is held up meanwhile (what a
// user feels as a freeze). Runs on the offscreen platform unless a display
// is chosen with QT_QPA_PLATFORM.
#include "images/ImageLibrary.h"
#include "images/ui/ImageLibraryForm.h"
#include "images/ui/ImageLibraryModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kRecords = 100000;

QApplication &Application()
{
    static int argc = 1;
    static char name[] = "library_window_bench";
    static char *argv[] = {name, nullptr};
    static QApplication *const application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *application;
}

TImageLibrary &Library()
{
    static TImageLibrary *const library = [] {
        auto *made = new TImageLibrary;
        for (int i = 0; i < kRecords; ++i) {
            auto record = std::make_unique<TImageDetail>();
            record->FileName = QStringLiteral("/home/user/Pictures/Downloaded Files/site%1/Saved/picture_%2.%3")
                                   .arg(i % 97)
                                   .arg(i)
                                   .arg(i % 3 == 0 ? QStringLiteral("jpg") : i % 3 == 1 ? QStringLiteral("png") : QStringLiteral("gif"));
            record->FileSize = 123456 / 128 * 128;
            record->Width = 1024;
            record->Height = 768;
            made->Add(std::move(record));
        }
        return made;
    }();
    return *library;
}

// Made, shown, and one turn of the event loop (layout and first paint).
void BM_OpenLibraryWindow100k(benchmark::State &state)
{
    Application();
    TImageLibrary &library = Library();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto form = std::make_unique<TImageLibraryForm>(library);
        form->show();
        QCoreApplication::processEvents();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        state.PauseTiming();
        form->reject();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenLibraryWindow100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// From show until the loader has listed every record, with a 1 ms timer on
// the event loop: the longest gap between its ticks is the longest freeze.
void BM_FillLibraryWindow100k(benchmark::State &state)
{
    Application();
    TImageLibrary &library = Library();
    double longestStall = 0;
    double firstRows = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto form = std::make_unique<TImageLibraryForm>(library);
        form->show();
        QEventLoop loop;
        QTimer tick;
        tick.setInterval(1);
        tick.setTimerType(Qt::PreciseTimer);
        qint64 last = clock.nsecsElapsed();
        double stall = 0;
        double rowsSeen = 0;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            const qint64 now = clock.nsecsElapsed();
            stall = std::max(stall, (now - last) / 1e6);
            last = now;
            if (rowsSeen == 0 && form->Model().Count() > 0)
                rowsSeen = now / 1e6;
            if (!form->Loading())
                loop.quit();
        });
        tick.start();
        loop.exec();
        tick.stop();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (form->Model().Count() != kRecords)
            state.SkipWithError("the list is not full");
        longestStall = std::max(longestStall, stall);
        firstRows = std::max(firstRows, rowsSeen);
        state.PauseTiming();
        form->reject();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = longestStall;
    state.counters["first_rows_ms"] = firstRows;
}
BENCHMARK(BM_FillLibraryWindow100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The list alone: 100,000 records appended to the model in the loader's
// batches, with a view attached but no event loop.
void BM_AppendModel100k(benchmark::State &state)
{
    Application();
    TImageLibrary &library = Library();
    std::vector<const TImageDetail *> records;
    for (int i = 0; i < kRecords; ++i)
        records.push_back(library.Items(i));
    for (auto _ : state) {
        TImageLibraryModel model;
        model.SetIconSource({});
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setModel(&model);
        for (size_t from = 0; from < records.size(); from += size_t(state.range(0))) {
            const size_t to = std::min(records.size(), from + size_t(state.range(0)));
            model.Append(std::vector<const TImageDetail *>(records.begin() + long(from), records.begin() + long(to)));
        }
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_AppendModel100k)->Arg(1024)->Arg(4096)->Arg(16384)->Unit(benchmark::kMillisecond);

} // namespace
