// The kernel at the benchmark's multiplier: its time is the score.
#include <benchmark/benchmark.h>

#include "tools/WorkKernel.h"

namespace {

void BM_WorkKernelBenchmarkRun(benchmark::State& state) {
  for (auto _ : state) {
    uint32_t checksum = korvath::WorkKernel(2);
    benchmark::DoNotOptimize(checksum);
    if (checksum != korvath::kBenchmarkChecksum) state.SkipWithError("checksum mismatch");
  }
}
BENCHMARK(BM_WorkKernelBenchmarkRun)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
