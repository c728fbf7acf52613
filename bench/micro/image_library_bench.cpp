// The image library at 100,000 records: looking paths up (every addition and
// every listed picture starts with a Find), and reading and writing imglib.db.
#include "images/ImageLibrary.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRecords = 100000;

QStringList Paths()
{
    QStringList paths;
    paths.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i)
        paths << QStringLiteral("/home/user/Pictures/Downloaded Files/site%1/Saved/picture_%2.jpg").arg(i % 97).arg(i);
    return paths;
}

std::unique_ptr<TImageLibrary> Library(const QStringList &paths)
{
    auto library = std::make_unique<TImageLibrary>();
    for (const QString &path : paths) {
        auto record = std::make_unique<TImageDetail>();
        record->FileName = path;
        record->Added = 46365.5;
        record->FileSize = 123456 / 128 * 128;
        record->Width = 1024;
        record->Height = 768;
        library->Add(std::move(record));
    }
    return library;
}

const QStringList &SharedPaths()
{
    static const QStringList paths = Paths();
    return paths;
}

TImageLibrary &SharedLibrary()
{
    static const std::unique_ptr<TImageLibrary> library = Library(SharedPaths());
    return *library;
}

// 100,000 Find calls that hit, in a library of 100,000 records.
void BM_Find100kHits(benchmark::State &state)
{
    TImageLibrary &library = SharedLibrary();
    const QStringList &paths = SharedPaths();
    for (auto _ : state) {
        int found = 0;
        for (const QString &path : paths)
            found += library.Find(path) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Find100kHits)->Unit(benchmark::kMillisecond);

// 100,000 Find calls for paths not in the library (what every new download does).
void BM_Find100kMisses(benchmark::State &state)
{
    TImageLibrary &library = SharedLibrary();
    QStringList misses = SharedPaths();
    for (QString &path : misses)
        path.replace(QLatin1String(".jpg"), QLatin1String(".png"));
    for (auto _ : state) {
        int found = 0;
        for (const QString &path : misses)
            found += library.Find(path) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Find100kMisses)->Unit(benchmark::kMillisecond);

void BM_Save100k(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString name = ImageLibraryFileName(dir.path());
    TImageLibrary &library = SharedLibrary();
    for (auto _ : state)
        library.SaveToFile(name);
    state.SetBytesProcessed(state.iterations() * (264 + qint64(kRecords) * 280));
}
BENCHMARK(BM_Save100k)->Unit(benchmark::kMillisecond);

void BM_Load100k(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString name = ImageLibraryFileName(dir.path());
    SharedLibrary().SaveToFile(name);
    for (auto _ : state) {
        TImageLibrary library;
        library.LoadFromFile(name);
        benchmark::DoNotOptimize(library.Count());
    }
    state.SetBytesProcessed(state.iterations() * (264 + qint64(kRecords) * 280));
}
BENCHMARK(BM_Load100k)->Unit(benchmark::kMillisecond);

} // namespace
