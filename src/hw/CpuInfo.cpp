#include "hw/CpuInfo.h"

#include "platform/Processor.h"

namespace korvath {
namespace {

int CountBits(uint64_t mask) {
  int count = 0;
  for (; mask != 0; mask &= mask - 1) ++count;
  return count;
}

// One past the highest set bit.
int Width(uint64_t mask) {
  int width = 0;
  while (width < kProcessorsPerGroup && (mask >> width) != 0) ++width;
  return width;
}

}  // namespace

bool CpuInfo::Locate(int index, int* group, int* number) const {
  if (index < 0) return false;
  for (int g = groupCount - 1; g >= 0; --g) {
    if (index < groupFirst[g]) continue;
    if (index - groupFirst[g] >= kProcessorsPerGroup) return false;
    *group = g;
    *number = index - groupFirst[g];
    return true;
  }
  return false;
}

int CpuInfo::ProcessorLimit() const {
  int last = groupCount - 1;
  return groupFirst[last] + Width(GroupMask(last));
}

int CpuInfo::CountPresent() const {
  int count = 0;
  for (int g = 0; g < groupCount; ++g) count += CountBits(GroupMask(g));
  return count;
}

int CountProcessors(uint64_t systemAffinityMask) {
  return CountBits(systemAffinityMask & ((1u << kSlotRuleProcessors) - 1));
}

const char* CoreTypeName(CoreType type) {
  switch (type) {
    case CoreType::kPerformance: return "P";
    case CoreType::kEfficient: return "E";
    case CoreType::kLowPowerEfficient: return "LP-E";
    case CoreType::kUnknown: break;
  }
  return "";
}

CpuInfo CreateCpuInfo(Processor& processor) {
  CpuInfo info;
  AffinityMasks masks = processor.GetAffinityMasks();
  info.processAffinityMask = masks.process;
  info.systemAffinityMask = masks.system;
  int groups = processor.ProcessorGroupCount();
  if (groups > 1) {
    // GetProcessAffinityMask describes one group only, and gives zeros
    // while the process's threads span groups: ask each group instead.
    if (groups > kMaxProcessorGroups) groups = kMaxProcessorGroups;
    info.groupCount = groups;
    int first = 0;
    for (int g = 0; g < groups; ++g) {
      uint64_t mask = processor.GroupProcessorMask(g);
      if (g == 0) info.systemAffinityMask = mask;
      else info.groupMask[g] = mask;
      info.groupFirst[g] = first;
      first += Width(mask);
    }
    info.homeGroup = processor.CurrentThreadGroup();
    if (info.homeGroup < 0 || info.homeGroup >= groups) info.homeGroup = 0;
  }
  info.coreCount = info.CountPresent();
  return info;
}

}  // namespace korvath
