#include "hw/CoreSlots.h"

#include <utility>

#include "hw/MsrAccess.h"
#include "platform/Processor.h"

namespace korvath {

void SortCoreSlots(CoreSlot (&slots)[kCoreSlots]) {
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int i = 0; i + 1 < kCoreSlots; ++i) {
      if (slots[i + 1].apicId < slots[i].apicId) {
        std::swap(slots[i], slots[i + 1]);
        swapped = true;
      }
    }
  }
}

void BuildCoreSlots(MsrAccess& access) {
  Processor& processor = access.processor();
  CpuInfo& cpu = access.cpu();
  uint32_t logicalPerPackage = (processor.Cpuid(1, 0).ebx >> 16) & 0xFF;
  uint32_t coresPerPackage = (processor.Cpuid(4, 0).eax >> 26) + 1;
  uint32_t step = logicalPerPackage / coresPerPackage;
  if (step < 1) step = 1;

  CoreSlot slots[kCoreSlots];
  for (int k = 0; k < kCoreSlots; ++k) {
    uint32_t p = static_cast<uint32_t>(k) * step;
    if (p >= 32 || !(cpu.systemAffinityMask & (1u << p))) continue;
    // Processors above 7 are never visited.
    if (p >= kMaxProcessors) continue;
    access.PinToCpu(1u << p);
    slots[k].apicId = (processor.Cpuid(1, 0).ebx >> 24) & 7;
    slots[k].mask = 1u << p;
  }
  access.RestoreAffinity();
  SortCoreSlots(slots);
  for (int k = 0; k < kCoreSlots; ++k) cpu.coreSlotMask[k] = slots[k].mask;
}

void ApplySkullSetting(CpuInfo& cpu, int skull) {
  if (cpu.coreCount != 8 || cpu.IsCoreI7()) return;
  uint32_t first = 0;
  if (skull == 1) first = 0x1;
  else if (skull == 2) first = 0x10;
  else return;
  for (int k = 0; k < kCoreSlots; ++k) cpu.coreSlotMask[k] = first << k;
}

}  // namespace korvath
