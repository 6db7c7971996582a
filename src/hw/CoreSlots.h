// The display core slots: which logical processor stands for core 0-3.
#pragma once

#include <cstdint>

#include "hw/CpuInfo.h"

namespace korvath {

class MsrAccess;

struct CoreSlot {
  uint32_t apicId = kNoApicId;
  uint32_t mask = 0;
};

// Finds the physical cores (CpuTopology) and fills the four slots: beyond
// eight processors or one group, the first four cores of the list. Up to
// eight, one logical processor per physical core, sorted by APIC
// identifier: every step-th processor (step = threads per core) while the
// cores' threads are there, the first four present processors when
// Hyper-Threading is off.
void BuildCoreSlots(MsrAccess& access);

// Bubble sort by APIC identifier; equal identifiers keep their order and
// empty slots end last.
void SortCoreSlots(CoreSlot (&slots)[kCoreSlots]);

// The hand-written Skull setting: only on 8 processors and not a Core i7.
void ApplySkullSetting(CpuInfo& cpu, int skull);

}  // namespace korvath
