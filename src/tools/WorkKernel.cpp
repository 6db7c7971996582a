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

// Two generator steps folded into one, so that the state two steps on is
// computed straight from the current one. The walk then carries a single
// multiply-add per step instead of two in a row.
constexpr uint64_t kMultiplier2 = (kMultiplier * kMultiplier) & kStateMask;
constexpr uint64_t kIncrement2 = (kMultiplier * kIncrement + kIncrement) & kStateMask;

constexpr uint64_t Next(uint64_t state) { return (state * kMultiplier + kIncrement) & kStateMask; }

double ValueOf(uint64_t state) { return static_cast<double>(state) * kStateScale; }

}  // namespace

uint32_t WorkKernel(int multiplier, uint32_t seedSeconds) {
  double table[kTableSize];
  uint64_t state = ((static_cast<uint64_t>(seedSeconds) << 16) | 0x330E) & kStateMask;
  for (double& entry : table) {
    state = Next(state);
    entry = ValueOf(state);
  }

  // Wraps like the 32-bit product it stands for; computed unsigned to stay
  // defined for large multipliers.
  int32_t steps = static_cast<int32_t>(static_cast<uint32_t>(multiplier) *
                                       static_cast<uint32_t>(kWorkKernelStepsPerUnit));
  if (steps <= 0) return 0;

  double last = 0.0;
  state = kWalkStart;
  for (int32_t step = 0; step < steps; ++step) {
    uint64_t indexState = (state * kMultiplier + kIncrement) & kStateMask;
    uint64_t valueState = (state * kMultiplier2 + kIncrement2) & kStateMask;
    unsigned index = static_cast<unsigned>(indexState >> 41);
    last = table[index];
    table[index] = ValueOf(valueState);
    state = valueState;
  }
  // last lies in [0, 1), so the truncated product fits in 32 bits.
  return static_cast<uint32_t>(static_cast<int64_t>(last * 4294967295.0));
}

uint32_t WorkKernel(int multiplier) {
  return WorkKernel(multiplier, static_cast<uint32_t>(std::time(nullptr)));
}

}  // namespace korvath
