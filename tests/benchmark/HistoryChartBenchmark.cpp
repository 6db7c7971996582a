// What the History window works out for one redraw of an hour of 32 cores,
// the package, the GPU and the load (the span, the axis, every line thinned
// to the plot's columns, the band of all cores, the ticks), and what storing
// one second costs the monitor cycle. The GDI calls that then draw the lines
// are not part of it: Debian's Google Benchmark is built for the host only.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "history/HistoryChart.h"
#include "history/HistoryStore.h"

namespace {

using korvath::HistorySeries;
using korvath::SeriesKind;

constexpr int64_t kStart = 1'765'000'020;

korvath::HistoryStore HourOf32Cores() {
  std::vector<HistorySeries> series;
  for (int core = 0; core < 32; ++core) series.push_back({"Core " + std::to_string(core), SeriesKind::kCore});
  series.push_back({"Package", SeriesKind::kPackage});
  series.push_back({"GPU", SeriesKind::kGpu});
  series.push_back({"Load", SeriesKind::kLoad});
  korvath::HistoryStore store(std::move(series));
  std::vector<int16_t> values(store.SeriesCount());
  for (int64_t t = 0; t < korvath::kHistorySeconds; ++t) {
    for (size_t s = 0; s < values.size(); ++s) {
      values[s] = static_cast<int16_t>(400 + (t * 7 + static_cast<int64_t>(s) * 131) % 450);
    }
    store.Record(kStart + t, values);
  }
  return store;
}

void BM_HistoryRedrawHourOf32Cores(benchmark::State& state) {
  korvath::HistoryStore store = HourOf32Cores();
  korvath::HistoryChart chart(store);
  const std::vector<bool> visible(store.SeriesCount(), true);
  korvath::ChartLine line;
  korvath::ChartLine band;
  size_t points = 0;
  for (auto _ : state) {
    chart.Prepare(korvath::HistoryRange::kHour, visible, {52, 32, 1000, 520}, 24, 100, 100);
    for (size_t s = 0; s < store.SeriesCount(); ++s) {
      chart.BuildLine(s, line);
      points += line.points.size();
    }
    chart.BuildCoreBand(band);
    benchmark::DoNotOptimize(chart.TimeTicks(70, 3600));
    benchmark::DoNotOptimize(band.points.data());
  }
  state.counters["points/redraw"] = static_cast<double>(points) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HistoryRedrawHourOf32Cores)->Unit(benchmark::kMillisecond);

void BM_HistoryRecordOneSecond(benchmark::State& state) {
  korvath::HistoryStore store = HourOf32Cores();
  std::vector<int16_t> values(store.SeriesCount(), 500);
  int64_t t = kStart + korvath::kHistorySeconds;
  for (auto _ : state) store.Record(t++, values);
}
BENCHMARK(BM_HistoryRecordOneSecond);

}  // namespace
