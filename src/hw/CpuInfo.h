// The global processor record: affinity masks, identification results,
// per-processor load and fixed-counter baselines, and the display core slots.
#pragma once

#include <cstdint>

namespace korvath {

class Processor;

inline constexpr int kMaxProcessors = 8;  // processor loops visit bits 0-7 only
inline constexpr int kCoreSlots = 4;
inline constexpr uint32_t kNoApicId = 512;

struct CpuInfo {
  double coreLoad[kMaxProcessors] = {};
  int countersEnabled = 0;
  uint32_t processAffinityMask = 0;  // recorded only
  uint32_t systemAffinityMask = 0;   // what every per-processor loop restores
  int signature = 0;                 // CPUID leaf 1 EAX & 0xF0FFF
  int coreCount = 0;                 // set bits among bits 0-7 of the system mask
  // The nominal multiplier; 0 when the processor did not give it, and then
  // no clock, bus speed or multiplier is shown.
  double maxMultiplier = 1.0;
  // The lowest multiplier the processor runs at (0xCE bits 47-40 on newer
  // processors); 0 when it does not say.
  double minMultiplier = 0.0;
  // See IsNewerProcessor: clock from 0xCE and the counters, no 0x2A, no VID.
  bool newerProcessor = false;
  uint64_t lastCoreClocks[kMaxProcessors] = {};
  uint64_t lastRefClocks[kMaxProcessors] = {};
  uint64_t lastTsc[kMaxProcessors] = {};
  uint64_t core0ClockDelta = 0;
  // True once the processor's counters were read, so that the last-counter
  // tables hold a reading to measure from.
  bool countersRead[kMaxProcessors] = {};
  // True once the processor's load was measured; until then its 0 is no load.
  bool loadMeasured[kMaxProcessors] = {};
  // Whether the last ratio measurement read any processor's counters.
  bool ratioMeasured = false;
  // The read-only driver's module refuses MPERF and APERF (older modules do):
  // no processor's counters were ever read, so there is no load to show.
  bool loadUnavailable = false;
  // Single-bit affinity mask of the logical processor behind display core k;
  // 0 when the slot is absent.
  uint32_t coreSlotMask[kCoreSlots] = {};

  bool HasProcessor(int index) const {
    return index >= 0 && index < kMaxProcessors && (systemAffinityMask & (1u << index)) != 0;
  }
  bool IsCoreI7() const { return signature == 0x106A4 || signature == 0x106A5; }
  bool HasNominalMultiplier() const { return maxMultiplier > 0; }
};

// Fills the affinity masks and the processor count from the process.
CpuInfo CreateCpuInfo(Processor& processor);

int CountProcessors(uint32_t systemAffinityMask);

}  // namespace korvath
