#include "tools/WorkKernel.h"

#include <ctime>

namespace korvath {
namespace {

// The drand48 generator: X' = (X * a + c) mod 2^48, read as X * 2^-48.
constexpr uint64_t kMultiplier = 0x5DEECE66Dull;
constexpr uint64_t kIncrement = 0xBull;
constexpr uint64_t kStateMask = (1ull << 48) - 1;
constexpr double kStateScale = 1.0 / 281474976710656.0;  // 2^-48
// After the table is seeded the walk restarts from this state, so the indices
// and the values written never depend on the seed.
constexpr uint64_t kWalkStart = 0x68D94330Eull;
constexpr int kTableSize = 128;
// Steps between two looks at the stop flag of a load: a few milliseconds.
constexpr int32_t kStepsBetweenStopChecks = 1 << 16;

constexpr uint64_t Next(uint64_t state) { return (state * kMultiplier + kIncrement) & kStateMask; }

double ValueOf(uint64_t state) { return static_cast<double>(state) * kStateScale; }

struct Work {
  double table[kTableSize];
  uint64_t state = 0;
  double last = 0.0;

  explicit Work(uint32_t seedSeconds) {
    state = ((static_cast<uint64_t>(seedSeconds) << 16) | 0x330E) & kStateMask;
    for (double& entry : table) {
      state = Next(state);
      entry = ValueOf(state);
    }
    state = kWalkStart;
  }

  // Each step advances the generator twice in a row, the index from the
  // first state and the value written from the second: the two dependent
  // multiply-adds are what the reference scores were measured with. Folding
  // them into one step of a combined generator gives the same numbers in
  // about half the time, and the score would then compare unlike work.
  void Walk(int32_t steps) {
    // Locals, so that the stores into the table cannot be taken to touch them.
    uint64_t x = state;
    double read = last;
    for (int32_t step = 0; step < steps; ++step) {
      x = Next(x);
      unsigned index = static_cast<unsigned>(x >> 41);
      read = table[index];
      x = Next(x);
      table[index] = ValueOf(x);
    }
    state = x;
    last = read;
  }
};

}  // namespace

uint32_t WorkKernel(int multiplier, uint32_t seedSeconds) {
  Work work(seedSeconds);
  // Wraps like the 32-bit product it stands for; computed unsigned to stay
  // defined for large multipliers.
  int32_t steps = static_cast<int32_t>(static_cast<uint32_t>(multiplier) *
                                       static_cast<uint32_t>(kWorkKernelStepsPerUnit));
  if (steps <= 0) return 0;
  work.Walk(steps);
  // last lies in [0, 1), so the truncated product fits in 32 bits.
  return static_cast<uint32_t>(static_cast<int64_t>(work.last * 4294967295.0));
}

uint32_t WorkKernel(int multiplier) {
  return WorkKernel(multiplier, static_cast<uint32_t>(std::time(nullptr)));
}

void RunWorkUntil(const std::atomic<bool>& stop) {
  while (!stop.load(std::memory_order_relaxed)) {
    // One whole run of the work at multiplier 1, in slices.
    Work work(static_cast<uint32_t>(std::time(nullptr)));
    for (int32_t done = 0; done < kWorkKernelStepsPerUnit && !stop.load(std::memory_order_relaxed);) {
      int32_t slice = kWorkKernelStepsPerUnit - done;
      if (slice > kStepsBetweenStopChecks) slice = kStepsBetweenStopChecks;
      work.Walk(slice);
      done += slice;
    }
  }
}

}  // namespace korvath
