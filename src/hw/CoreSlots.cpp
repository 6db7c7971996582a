#include "hw/CoreSlots.h"

#include <utility>

#include "hw/CpuTopology.h"
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

// Without topology leaves each slot is a core of its own, with the
// processors the step gives it while the cores' threads are there.
void CoresFromSlots(CpuInfo& cpu, uint32_t step, bool sharedCore) {
  cpu.cores.clear();
  cpu.packages.clear();
  for (int& core : cpu.coreOfProcessor) core = -1;
  for (int k = 0; k < kCoreSlots; ++k) {
    if (cpu.coreSlotMask[k] == 0) continue;
    int first = 0;
    while (!(cpu.coreSlotMask[k] >> first & 1)) ++first;
    PhysicalCore core;
    uint32_t width = sharedCore ? step : 1;
    for (uint32_t p = static_cast<uint32_t>(first); p < static_cast<uint32_t>(first) + width && p < kSlotRuleProcessors; ++p) {
      if (!cpu.HasProcessor(static_cast<int>(p))) continue;
      core.processors.push_back(static_cast<int>(p));
      cpu.coreOfProcessor[p] = static_cast<int>(cpu.cores.size());
    }
    cpu.cores.push_back(core);
  }
  for (int p = 0; p < cpu.ProcessorLimit(); ++p) {
    if (!cpu.HasProcessor(p)) continue;
    cpu.packages.push_back({p});
    break;
  }
}

// The first four cores of the list, read through their first processors.
void SlotsFromCores(CpuInfo& cpu) {
  for (int k = 0; k < kCoreSlots; ++k) {
    cpu.coreSlotMask[k] = 0;
    if (static_cast<size_t>(k) >= cpu.cores.size()) continue;
    int first = cpu.cores[static_cast<size_t>(k)].processors.front();
    // Slot masks name processors of group 0 only; the first cores are there.
    int group = 0;
    int number = 0;
    if (cpu.Locate(first, &group, &number) && group == 0 && number < 32) cpu.coreSlotMask[k] = 1u << number;
  }
}

}  // namespace

void BuildCoreSlots(MsrAccess& access) {
  Processor& processor = access.processor();
  CpuInfo& cpu = access.cpu();
  const bool topology = FindCores(access);
  // Up to eight processors in one group the slots keep their own rule, so
  // that every such machine shows what it always showed.
  if (topology && (cpu.groupCount > 1 || cpu.CountPresent() > kSlotRuleProcessors)) {
    SlotsFromCores(cpu);
    return;
  }
  uint32_t logicalPerPackage = (processor.Cpuid(1, 0).ebx >> 16) & 0xFF;
  uint32_t coresPerPackage = (processor.Cpuid(4, 0).eax >> 26) + 1;
  uint32_t step = logicalPerPackage / coresPerPackage;
  if (step < 1) step = 1;

  // The full initial APIC identifier of every present processor 0-7; only
  // needed when a core may have more than one thread.
  constexpr uint32_t kUnread = 0xFFFFFFFF;
  uint32_t apic[kSlotRuleProcessors];
  for (uint32_t& id : apic) id = kUnread;
  for (int p = 0; p < kSlotRuleProcessors; ++p) {
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
  for (int p = 0; p < kSlotRuleProcessors; ++p) {
    for (int q = p + 1; q < kSlotRuleProcessors; ++q) {
      if (apic[p] != kUnread && apic[q] != kUnread && (apic[p] >> shift) == (apic[q] >> shift)) sharedCore = true;
    }
  }
  uint32_t chosen[kCoreSlots] = {};
  if (step == 1 || sharedCore) {
    for (int k = 0; k < kCoreSlots; ++k) {
      uint32_t p = static_cast<uint32_t>(k) * step;
      if (p < kSlotRuleProcessors) chosen[k] = p;
      else chosen[k] = kUnread;
    }
  } else {
    int k = 0;
    for (int p = 0; p < kSlotRuleProcessors && k < kCoreSlots; ++p) {
      if (cpu.HasProcessor(p)) chosen[k++] = static_cast<uint32_t>(p);
    }
    for (; k < kCoreSlots; ++k) chosen[k] = kUnread;
  }

  CoreSlot slots[kCoreSlots];
  for (int k = 0; k < kCoreSlots; ++k) {
    uint32_t p = chosen[k];
    // Processors above 7 are never visited.
    if (p >= kSlotRuleProcessors || apic[p] == kUnread) continue;
    slots[k].apicId = apic[p] & 7;
    slots[k].mask = 1u << p;
  }
  SortCoreSlots(slots);
  for (int k = 0; k < kCoreSlots; ++k) cpu.coreSlotMask[k] = slots[k].mask;
  if (!topology) CoresFromSlots(cpu, step, step > 1 && sharedCore);
}

void ApplySkullSetting(CpuInfo& cpu, int skull) {
  if (cpu.coreCount != 8 || cpu.IsCoreI7()) return;
  int first = 0;
  if (skull == 1) first = 0;
  else if (skull == 2) first = 4;
  else return;
  // Two threads of one core would show the same core twice.
  for (int p = first; p < first + kCoreSlots; ++p) {
    for (int q = p + 1; q < first + kCoreSlots; ++q) {
      if (cpu.coreOfProcessor[p] >= 0 && cpu.coreOfProcessor[p] == cpu.coreOfProcessor[q]) return;
    }
  }
  for (int k = 0; k < kCoreSlots; ++k) cpu.coreSlotMask[k] = 1u << (first + k);
}

}  // namespace korvath
