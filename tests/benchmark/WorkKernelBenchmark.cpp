// The kernel at the benchmark's multiplier, whose time is the score, beside a
// plain loop of the written work: seed the table, then per step the
// generator, the index, the table read, the generator again and the table
// write. The two must take the same time; a kernel faster than the plain
// loop does less than the work its reference scores were measured with.
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

uint32_t PlainWrittenWork(uint32_t seed, int32_t steps) {
  const uint64_t a = 0x5DEECE66Dull;
  const uint64_t c = 0xB;
  const uint64_t mask = (1ull << 48) - 1;
  double table[128];
  uint64_t x = ((static_cast<uint64_t>(seed) << 16) | 0x330E) & mask;
  for (int j = 0; j < 128; ++j) {
    x = (x * a + c) & mask;
    table[j] = static_cast<double>(x) / 281474976710656.0;
  }
  double last = 0.0;
  x = 0x68D94330Eull;
  for (int32_t n = 0; n < steps; ++n) {
    x = (x * a + c) & mask;
    int index = static_cast<int>(x >> 41);
    last = table[index];
    x = (x * a + c) & mask;
    table[index] = static_cast<double>(x) / 281474976710656.0;
  }
  return static_cast<uint32_t>(static_cast<int64_t>(last * 4294967295.0));
}

void BM_PlainWrittenLoop(benchmark::State& state) {
  const int32_t steps = 2 * korvath::kWorkKernelStepsPerUnit;
  uint32_t seed = 1;
  for (auto _ : state) {
    // Opaque each time, so that the run is not hoisted out of the loop.
    benchmark::DoNotOptimize(seed);
    uint32_t checksum = PlainWrittenWork(seed, steps);
    benchmark::DoNotOptimize(checksum);
    if (checksum != korvath::kBenchmarkChecksum) state.SkipWithError("checksum mismatch");
  }
  state.SetItemsProcessed(state.iterations() * steps);
}
BENCHMARK(BM_PlainWrittenLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
