// The kernel at the benchmark's multiplier: its time is the score. Beside it
// the generator's own dependency chain, the floor under the kernel's time
// per step: each step needs the previous state, so a step can be no faster
// than one multiply-add-mask of 48-bit numbers.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "tools/WorkKernel.h"

namespace {

void BM_WorkKernelBenchmarkRun(benchmark::State& state) {
  for (auto _ : state) {
    uint32_t checksum = korvath::WorkKernel(2);
    benchmark::DoNotOptimize(checksum);
    if (checksum != korvath::kBenchmarkChecksum) state.SkipWithError("checksum mismatch");
  }
  state.SetItemsProcessed(state.iterations() * 2 * static_cast<int64_t>(korvath::kWorkKernelStepsPerUnit));
}
BENCHMARK(BM_WorkKernelBenchmarkRun)->Unit(benchmark::kMillisecond)->Iterations(3);

// The drand48 recurrence two steps at a time, as the kernel's walk carries it.
void BM_GeneratorChain(benchmark::State& state) {
  constexpr uint64_t kMask = (1ull << 48) - 1;
  constexpr uint64_t kMultiplier = 0x5DEECE66Dull;
  constexpr uint64_t kIncrement = 0xBull;
  constexpr uint64_t kMultiplier2 = (kMultiplier * kMultiplier) & kMask;
  constexpr uint64_t kIncrement2 = (kMultiplier * kIncrement + kIncrement) & kMask;
  constexpr int64_t kSteps = 100'000'000;
  uint64_t x = 0x68D94330Eull;
  for (auto _ : state) {
    for (int64_t step = 0; step < kSteps; ++step) {
      x = (x * kMultiplier2 + kIncrement2) & kMask;
      benchmark::DoNotOptimize(x);
    }
  }
  state.SetItemsProcessed(state.iterations() * kSteps);
}
BENCHMARK(BM_GeneratorChain)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
