// The clock line of the main window: clock speed, bus speed and multiplier,
// elapsed monitoring time and average load, refreshed once per cycle.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvath {

class DisplayTexts;
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

// "h:mm:ss" of the cycles run so far; the first cycle shows 0:00:00 and the
// hours keep counting past a day.
std::string ElapsedTimeText(uint64_t cycleCount);

// "Load %5.1f%%" of the summed loads over the processor count (over the
// processors measured so far, while a failed read has kept one out); empty
// where the counters cannot be read at all.
std::string LoadText(const CpuInfo& cpu);

// Measures the ratios and sets the texts of the clock speed, bus speed,
// elapsed time and load controls. The clock speed and bus speed keep their
// previous texts until the clock thread has a frequency.
void UpdateClockDisplay(MsrAccess& access, double tscMhz, uint64_t cycleCount, DisplayTexts& texts);

}  // namespace korvath
