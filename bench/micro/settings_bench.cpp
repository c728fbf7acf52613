// The due test runs for every loaded task every 300 ms, so it must cost the
// same whatever the distance from the start; the settings are written once
// at exit, one atomic file replacement per value.
#include "settings/RegSettings.h"
#include "settings/Schedule.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_IsDueHourly(benchmark::State &state)
{
    const double now = 45819.0 + 0.7; // 2025-06-11 16:48
    TRegScheme scheme;
    scheme.SchemeType = TRegScheme::stEvery;
    scheme.SchemeStartDate = now - 365.25 * double(state.range(0)) - 1;
    scheme.SchemeStartTime = 10.0 / 24;
    for (auto _ : state)
        benchmark::DoNotOptimize(IsDue(scheme, now));
}
BENCHMARK(BM_IsDueHourly)->Arg(0)->Arg(1)->Arg(50)->Arg(1000);

void BM_SettingsSaveLoad(benchmark::State &state)
{
    QTemporaryDir home;
    TRegSettings settings(home.path());
    settings.Load();
    for (auto _ : state) {
        settings.Save();
        TRegSettings loaded(home.path());
        loaded.Load();
        benchmark::DoNotOptimize(loaded.Options.FileMasks.size());
    }
}
BENCHMARK(BM_SettingsSaveLoad)->Unit(benchmark::kMillisecond);

} // namespace
