// The clock speed, bus speed and multiplier the processor runs at, and the
// average load, measured once per monitor cycle.
#pragma once

#include <cstdint>
#include <optional>

namespace korvath {

class MsrAccess;
struct CpuInfo;

// The multiplier the processor runs at now. Newer processors: the nominal
// multiplier scaled by the measured ratio, to the nearest half step, at
// least their lowest multiplier. Core i7: the same, at least 12. Others:
// the bus ratio field of 0x2A on processors 0-3, averaged by the processor
// count, at least 6. None without a nominal multiplier, when no field could
// be read, or on a newer processor whose counters could not be read.
std::optional<double> CurrentMultiplier(MsrAccess& access, double ratio);

// The newer processors' rule on its own, also used by the benchmark.
double CountersMultiplier(const CpuInfo& cpu, double ratio);

struct ClockSpeed {
  double clockMhz = 0;
  double busMhz = 0;
  double multiplier = 0;
};

// Measures the ratios, every cycle, and the speeds they give. None until the
// clock thread has a frequency and while there is no multiplier: without a
// nominal multiplier that is the whole run.
std::optional<ClockSpeed> MeasureClockSpeed(MsrAccess& access, double tscMhz);

// The summed loads over the processor count (over the processors measured
// so far, while a failed read has kept one out); none where the counters
// cannot be read at all.
std::optional<double> AverageLoad(const CpuInfo& cpu);

}  // namespace korvath
