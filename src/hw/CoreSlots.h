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

// Takes every step-th logical processor (step = threads per core), reads its
// APIC identifier pinned to it, and sorts the slots by identifier.
void BuildCoreSlots(MsrAccess& access);

// Bubble sort by APIC identifier; equal identifiers keep their order and
// empty slots end last.
void SortCoreSlots(CoreSlot (&slots)[kCoreSlots]);

// The hand-written Skull setting: only on 8 processors and not a Core i7.
void ApplySkullSetting(CpuInfo& cpu, int skull);

}  // namespace korvath
