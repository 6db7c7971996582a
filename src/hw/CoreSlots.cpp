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

namespace {

// Bits of the APIC identifier that number the threads within one core.
int SmtWidth(uint32_t threadsPerCore) {
  int width = 0;
  while ((1u << width) < threadsPerCore) ++width;
  return width;
}

}  // namespace

void BuildCoreSlots(MsrAccess& access) {
  Processor& processor = access.processor();
  CpuInfo& cpu = access.cpu();
  uint32_t logicalPerPackage = (processor.Cpuid(1, 0).ebx >> 16) & 0xFF;
  uint32_t coresPerPackage = (processor.Cpuid(4, 0).eax >> 26) + 1;
  uint32_t step = logicalPerPackage / coresPerPackage;
  if (step < 1) step = 1;

  // The full initial APIC identifier of every present processor 0-7; only
  // needed when a core may have more than one thread.
  constexpr uint32_t kUnread = 0xFFFFFFFF;
  uint32_t apic[kMaxProcessors];
  for (uint32_t& id : apic) id = kUnread;
  for (int p = 0; p < kMaxProcessors; ++p) {
    if (!cpu.HasProcessor(p) || (step == 1 && p >= kCoreSlots)) continue;
    // CPUID on the wrong processor would give another core's identifier.
    if (!access.PinToCpu(1u << p)) continue;
    apic[p] = processor.Cpuid(1, 0).ebx >> 24;
  }
  access.RestoreAffinity();

  // With Hyper-Threading on, logical processors p and p + 1 share a core and
  // every step-th processor stands for one core. With it switched off in the
  // firmware CPUID still reports room for the threads, but every present
  // processor is a core of its own: then the first four present ones are.
  int shift = SmtWidth(step);
  bool sharedCore = false;
  for (int p = 0; p < kMaxProcessors; ++p) {
    for (int q = p + 1; q < kMaxProcessors; ++q) {
      if (apic[p] != kUnread && apic[q] != kUnread && (apic[p] >> shift) == (apic[q] >> shift)) sharedCore = true;
    }
  }
  uint32_t chosen[kCoreSlots] = {};
  if (step == 1 || sharedCore) {
    for (int k = 0; k < kCoreSlots; ++k) {
      uint32_t p = static_cast<uint32_t>(k) * step;
      if (p < kMaxProcessors) chosen[k] = p;
      else chosen[k] = kUnread;
    }
  } else {
    int k = 0;
    for (int p = 0; p < kMaxProcessors && k < kCoreSlots; ++p) {
      if (cpu.HasProcessor(p)) chosen[k++] = static_cast<uint32_t>(p);
    }
    for (; k < kCoreSlots; ++k) chosen[k] = kUnread;
  }

  CoreSlot slots[kCoreSlots];
  for (int k = 0; k < kCoreSlots; ++k) {
    uint32_t p = chosen[k];
    // Processors above 7 are never visited.
    if (p >= kMaxProcessors || apic[p] == kUnread) continue;
    slots[k].apicId = apic[p] & 7;
    slots[k].mask = 1u << p;
  }
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
