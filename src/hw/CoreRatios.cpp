#include "hw/CoreRatios.h"

#include "hw/MsrAccess.h"
#include "platform/Processor.h"

namespace korvath {
namespace {

// Zeroed well before the counters could wrap.
constexpr uint64_t kCounterResetThreshold = 255ull << 32;

struct CounterReading {
  uint64_t reference = 0;
  uint64_t core = 0;
  uint64_t tsc = 0;
};

// Taken back to back on the pinned processor, so that the three numbers
// describe the same moment and their intervals the same span. False when
// either counter could not be read. The read-only driver cannot switch the
// fixed counters on, so MPERF and APERF stand in: they count the same cycles
// and always run.
bool ReadCounters(MsrAccess& access, CounterReading& reading) {
  const bool readOnly = access.readOnly();
  bool read = access.ReadMsr(readOnly ? kMsrMperf : kMsrFixedCtr2, &reading.reference);
  read = access.ReadMsr(readOnly ? kMsrAperf : kMsrFixedCtr1, &reading.core) && read;
  reading.tsc = access.processor().ReadTsc();
  return read;
}

void KeepReading(CpuInfo& cpu, int i, const CounterReading& reading) {
  cpu.lastCoreClocks[i] = reading.core;
  cpu.lastRefClocks[i] = reading.reference;
  cpu.lastTsc[i] = reading.tsc;
  cpu.countersRead[i] = true;
}

// Outside these a ratio is taken for a faulty reading and counts as
// nominal. Newer processors idle far below their nominal multiplier and turbo
// far above it (an N100: 7 to 34 on a nominal 8), so for them only a
// multiplier no ratio field can hold is faulty.
bool RatioPlausible(const CpuInfo& cpu, double ratio) {
  if (!cpu.newerProcessor) return ratio >= 0.2 && ratio <= 2.5;
  constexpr double kLargestRatioField = 255;
  return ratio > 0 && ratio * cpu.maxMultiplier <= kLargestRatioField;
}

// On the read-only driver, no counter read at all means its module does not
// allow them; a read that failed now and then has left one reading behind.
void NoteLoadAvailability(MsrAccess& access) {
  CpuInfo& cpu = access.cpu();
  bool anyRead = false;
  for (bool read : cpu.countersRead) anyRead = anyRead || read;
  cpu.loadUnavailable = access.readOnly() && !anyRead;
}

double ClampPercent(double percent) {
  if (percent < 0) return 0;
  if (percent > 100) return 100;
  return percent;
}

}  // namespace

void TakeCounterBaselines(MsrAccess& access) {
  CpuInfo& cpu = access.cpu();
  // Every processor counts, also one whose counters could not be read now.
  cpu.coreCount = cpu.CountPresent();
  access.EnableFixedCounters();
  for (double& load : cpu.coreLoad) load = 0;
  for (bool& read : cpu.countersRead) read = false;
  for (bool& measured : cpu.loadMeasured) measured = false;
  access.ForEachProcessor([&](int i) {
    CounterReading reading;
    if (ReadCounters(access, reading)) KeepReading(cpu, i, reading);
  });
  NoteLoadAvailability(access);
}

double MeasureCoreRatios(MsrAccess& access) {
  CpuInfo& cpu = access.cpu();
  double ratioSum = 0;
  int measured = 0;
  access.ForEachProcessor([&](int i) {
    CounterReading reading;
    // A counter that could not be read leaves this processor out of this
    // measurement: its load stays and the next one measures from its last
    // good reading. A first good reading only gives the start.
    if (!ReadCounters(access, reading)) return;
    if (!cpu.countersRead[i]) {
      KeepReading(cpu, i, reading);
      return;
    }
    ++measured;
    cpu.loadMeasured[i] = true;
    int64_t dCore = static_cast<int64_t>(reading.core - cpu.lastCoreClocks[i]);
    int64_t dRef = static_cast<int64_t>(reading.reference - cpu.lastRefClocks[i]);
    int64_t dTsc = static_cast<int64_t>(reading.tsc - cpu.lastTsc[i]);
    if (i == 0) cpu.core0ClockDelta = static_cast<uint64_t>(dCore);
    // No time passed (or the counter went back): there is no load to compute,
    // so the previous one stands.
    if (dTsc > 0) cpu.coreLoad[i] = ClampPercent(static_cast<double>(dRef) * 100.0 / static_cast<double>(dTsc));
    // Stopped counters say nothing about the clock: count them as nominal.
    ratioSum += dRef > 0 && dCore > 0 ? static_cast<double>(dCore) / static_cast<double>(dRef) : 1.0;
    // MPERF and APERF cannot be reset there; 64 bits do not wrap in years.
    bool resettable = !access.readOnly();
    if (resettable && reading.core > kCounterResetThreshold) {
      access.WriteMsr(kMsrFixedCtr1, 0, 0);
      reading.core = 0;
    }
    if (resettable && reading.reference > kCounterResetThreshold) {
      access.WriteMsr(kMsrFixedCtr2, 0, 0);
      reading.reference = 0;
    }
    KeepReading(cpu, i, reading);
  });
  double ratio = measured > 0 ? ratioSum / measured : 1.0;
  cpu.ratioMeasured = measured > 0;
  NoteLoadAvailability(access);
  access.EnableFixedCounters();
  return RatioPlausible(cpu, ratio) ? ratio : 1.0;
}

}  // namespace korvath
