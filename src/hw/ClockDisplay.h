// The clock line of the main window: clock speed, bus speed and multiplier,
// elapsed monitoring time and average load, refreshed once per cycle.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace korvath {

class MsrAccess;
struct CpuInfo;

inline constexpr int kClockSpeedControl = 1155;
inline constexpr int kBusSpeedControl = 1159;
inline constexpr int kLoadControl = 1157;
inline constexpr int kElapsedTimeControl = 1158;

// The multiplier the processor runs at now. Core i7: the nominal multiplier
// scaled by the measured ratio, to the nearest half step, at least 12.
// Others: the bus ratio field of 0x2A on processors 0-3, averaged by the
// processor count, at least 6.
double CurrentMultiplier(MsrAccess& access, double ratio);

// "h:mm:ss" of the cycles run so far; the first cycle shows 0:00:00 and the
// hours keep counting past a day.
std::string ElapsedTimeText(uint64_t cycleCount);

// "Load %5.1f%%" of the summed loads over the processor count.
std::string LoadText(const CpuInfo& cpu);

// Measures the ratios and sets the texts of the four controls in texts,
// which the main window keeps by control id. The clock speed and bus speed
// keep their previous texts until the clock thread has a frequency.
void UpdateClockDisplay(MsrAccess& access, double tscMhz, uint64_t cycleCount,
                        std::map<int, std::string>& texts);

}  // namespace korvath
