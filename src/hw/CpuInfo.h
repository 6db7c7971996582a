// The global processor record: affinity masks and processor groups,
// identification results, per-processor load and fixed-counter baselines,
// the physical cores and packages, and the display core slots.
#pragma once

#include <cstdint>
#include <vector>

#include "hw/CoreType.h"

namespace korvath {

class Processor;

// Per-processor tables hold every logical processor Windows can give one
// machine; the steady cycle then never grows them.
inline constexpr int kMaxLogicalProcessors = 256;
inline constexpr int kMaxProcessorGroups = 16;
// The first eight processors: the core slots' own rule, the Skull setting
// and the settings file's APICID look at these only.
inline constexpr int kSlotRuleProcessors = 8;
inline constexpr int kCoreSlots = 4;
inline constexpr uint32_t kNoApicId = 512;

// One physical core: the logical processors that share it, the first of
// which is the one its readings are taken on.
struct PhysicalCore {
  CoreType type = CoreType::kUnknown;
  int package = 0;
  std::vector<int> processors;  // global logical processor numbers
};

struct CpuPackage {
  int firstProcessor = 0;  // the processor its package-wide registers are read on
};

struct CpuInfo {
  double coreLoad[kMaxLogicalProcessors] = {};
  int countersEnabled = 0;
  uint64_t processAffinityMask = 0;  // recorded only
  // Group 0's processors: what every per-processor loop restores on a
  // machine of one group.
  uint64_t systemAffinityMask = 0;
  int signature = 0;  // CPUID leaf 1 EAX & 0xF0FFF
  int coreCount = 0;  // present logical processors, counted at start-up
  // The nominal multiplier; 0 when the processor did not give it, and then
  // no clock, bus speed or multiplier is shown.
  double maxMultiplier = 1.0;
  // The lowest multiplier the processor runs at (0xCE bits 47-40 on newer
  // processors); 0 when it does not say.
  double minMultiplier = 0.0;
  // See IsNewerProcessor: clock from 0xCE and the counters, no 0x2A, no VID.
  bool newerProcessor = false;
  uint64_t lastCoreClocks[kMaxLogicalProcessors] = {};
  uint64_t lastRefClocks[kMaxLogicalProcessors] = {};
  uint64_t lastTsc[kMaxLogicalProcessors] = {};
  uint64_t core0ClockDelta = 0;
  // True once the processor's counters were read, so that the last-counter
  // tables hold a reading to measure from.
  bool countersRead[kMaxLogicalProcessors] = {};
  // True once the processor's load was measured; until then its 0 is no load.
  bool loadMeasured[kMaxLogicalProcessors] = {};
  // Whether the last ratio measurement read any processor's counters.
  bool ratioMeasured = false;
  // The read-only driver's module refuses MPERF and APERF (older modules do):
  // no processor's counters were ever read, so there is no load to show.
  bool loadUnavailable = false;
  // Single-bit affinity mask of the logical processor behind display core k;
  // 0 when the slot is absent.
  uint32_t coreSlotMask[kCoreSlots] = {};

  // Processor groups beyond the first. Global processor numbers run through
  // the groups in order: group g's processor n is groupFirst[g] + n.
  int groupCount = 1;
  uint64_t groupMask[kMaxProcessorGroups] = {};  // entry 0 unused: systemAffinityMask
  int groupFirst[kMaxProcessorGroups] = {};
  // The group the user-interface thread started in, where it is put back.
  int homeGroup = 0;

  // In display order: by package, then core; the first four are the slots.
  std::vector<PhysicalCore> cores;
  std::vector<CpuPackage> packages;
  // Index into cores of processors 0-7, -1 where not known.
  int coreOfProcessor[kSlotRuleProcessors] = {-1, -1, -1, -1, -1, -1, -1, -1};

  uint64_t GroupMask(int group) const { return group == 0 ? systemAffinityMask : groupMask[group]; }
  // The group and the number within it of a global processor number; false
  // when no group holds it.
  bool Locate(int index, int* group, int* number) const;
  bool HasProcessor(int index) const {
    int group = 0;
    int number = 0;
    return Locate(index, &group, &number) && (GroupMask(group) >> number & 1) != 0;
  }
  // One past the highest global processor number.
  int ProcessorLimit() const;
  int CountPresent() const;
  bool IsCoreI7() const { return signature == 0x106A4 || signature == 0x106A5; }
  bool HasNominalMultiplier() const { return maxMultiplier > 0; }
};

// Fills the affinity masks, the processor groups and the processor count.
CpuInfo CreateCpuInfo(Processor& processor);

// Set bits among bits 0-7 of a mask.
int CountProcessors(uint64_t systemAffinityMask);


}  // namespace korvath
