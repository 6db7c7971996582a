// The texts of the main window's clock line: clock speed, bus speed and
// multiplier, elapsed monitoring time and average load.
#pragma once

#include <cstdint>
#include <string>

namespace korvath {

class DisplayTexts;
class MsrAccess;
struct CpuInfo;

// "h:mm:ss" of the cycles run so far; the first cycle shows 0:00:00 and the
// hours keep counting past a day.
std::string ElapsedTimeText(uint64_t cycleCount);

// "Load %5.1f%%" of the average load; empty where the counters cannot be
// read at all.
std::string LoadText(const CpuInfo& cpu);

// Measures the clock and sets the texts of the clock speed, bus speed,
// elapsed time and load controls. The clock speed and bus speed keep their
// previous texts until the clock thread has a frequency.
void UpdateClockTexts(MsrAccess& access, double tscMhz, uint64_t cycleCount, DisplayTexts& texts);

}  // namespace korvath
