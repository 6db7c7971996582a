#include "hw/ExtraCores.h"

#include "hw/CpuInfo.h"
#include "hw/MsrAccess.h"

namespace korvath {
namespace {

int FirstProcessorOfMask(uint32_t mask) {
  int processor = 0;
  while (!(mask >> processor & 1)) ++processor;
  return processor;
}

bool ReadsProcessor(const CpuInfo& cpu, int processor) {
  for (uint32_t mask : cpu.coreSlotMask) {
    if (mask != 0 && FirstProcessorOfMask(mask) == processor) return true;
  }
  return false;
}

bool IsShownBySlot(const CpuInfo& cpu, const PhysicalCore& core) {
  for (int processor : core.processors) {
    if (ReadsProcessor(cpu, processor)) return true;
  }
  return false;
}

// Bits 23-16 of MSR 0x1A2 on the core's own processor; 0 says nothing.
int ReadCoreTjMax(MsrAccess& access, int processor) {
  uint32_t low = 0;
  uint32_t high = 0;
  if (!access.PinToProcessor(processor) || !access.ReadMsr(kMsrTemperatureTarget, &low, &high)) return 0;
  return static_cast<int>((low >> 16) & 0xFF);
}

}  // namespace

std::vector<ExtraCore> FindExtraCores(MsrAccess& access, bool readTjMax, int fallbackTjMax) {
  const CpuInfo& cpu = access.cpu();
  std::vector<ExtraCore> extra;
  for (size_t index = 0; index < cpu.cores.size(); ++index) {
    const PhysicalCore& core = cpu.cores[index];
    if (core.processors.empty() || IsShownBySlot(cpu, core)) continue;
    ExtraCore entry;
    entry.core = static_cast<int>(index);
    entry.processor = core.processors.front();
    entry.type = core.type;
    int reported = readTjMax ? ReadCoreTjMax(access, entry.processor) : 0;
    entry.tjMaxDetected = reported != 0 ? reported : fallbackTjMax;
    entry.tjMax = entry.tjMaxDetected;
    extra.push_back(entry);
  }
  if (readTjMax) access.RestoreAffinity();
  return extra;
}

int CoreOfSlot(const CpuInfo& cpu, int slot) {
  const uint32_t mask = cpu.coreSlotMask[slot];
  if (mask == 0) return -1;
  const int processor = FirstProcessorOfMask(mask);
  for (size_t index = 0; index < cpu.cores.size(); ++index) {
    for (int member : cpu.cores[index].processors) {
      if (member == processor) return static_cast<int>(index);
    }
  }
  return -1;
}

}  // namespace korvath
