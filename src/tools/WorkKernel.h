// The fixed piece of work behind the benchmark and the movement test's load
// threads: random read-and-replace steps on a small table of doubles.
#pragma once

#include <atomic>
#include <cstdint>

namespace korvath {

inline constexpr int kWorkKernelStepsPerUnit = 200'000'000;
// What the kernel returns for the benchmark's multiplier of 2.
inline constexpr uint32_t kBenchmarkChecksum = 0x49EC2ECC;

// Runs multiplier x 200,000,000 steps and returns a checksum that depends
// only on the multiplier; 0 at once when the multiplier is not positive.
uint32_t WorkKernel(int multiplier);

// The same with the seed time given instead of read from the clock.
uint32_t WorkKernel(int multiplier, uint32_t seedSeconds);

// The kernel's work at multiplier 1, over and over, until stop is set; it
// looks at stop every few milliseconds, so it ends soon after.
void RunWorkUntil(const std::atomic<bool>& stop);

}  // namespace korvath
