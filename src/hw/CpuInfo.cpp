#include "hw/CpuInfo.h"

#include "platform/Processor.h"

namespace korvath {

int CountProcessors(uint32_t systemAffinityMask) {
  int count = 0;
  for (int i = 0; i < kMaxProcessors; ++i) {
    if (systemAffinityMask & (1u << i)) ++count;
  }
  return count;
}

CpuInfo CreateCpuInfo(Processor& processor) {
  CpuInfo info;
  AffinityMasks masks = processor.GetAffinityMasks();
  info.processAffinityMask = masks.process;
  info.systemAffinityMask = masks.system;
  info.coreCount = CountProcessors(masks.system);
  return info;
}

}  // namespace korvath
