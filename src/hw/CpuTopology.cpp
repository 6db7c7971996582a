#include "hw/CpuTopology.h"

#include <algorithm>
#include <vector>

#include "hw/MsrAccess.h"
#include "platform/Processor.h"

namespace korvath {
namespace {

constexpr uint32_t kLevelTypeSmt = 1;
constexpr uint32_t kHybridBit = 1u << 15;  // leaf 7 EDX
constexpr uint32_t kCoreTypePerformance = 0x40;
constexpr uint32_t kCoreTypeEfficient = 0x20;
constexpr uint32_t kCacheLevels = 16;  // more leaf 4 sub-leaves than any processor has

struct ProcessorPlace {
  int processor = 0;
  uint32_t package = 0;
  uint32_t core = 0;  // x2APIC id without the thread bits: unique on the machine
  CoreType type = CoreType::kUnknown;
};

bool HasLevel3Cache(Processor& processor) {
  for (uint32_t subleaf = 0; subleaf < kCacheLevels; ++subleaf) {
    uint32_t eax = processor.Cpuid(4, subleaf).eax;
    if ((eax & 0x1F) == 0) return false;
    if (((eax >> 5) & 7) == 3) return true;
  }
  return false;
}

CoreType TypeOfThisCore(Processor& processor, bool hybrid) {
  if (!hybrid) return CoreType::kUnknown;
  uint32_t type = processor.Cpuid(0x1A, 0).eax >> 24;
  if (type == kCoreTypePerformance) return CoreType::kPerformance;
  if (type != kCoreTypeEfficient) return CoreType::kUnknown;
  // The SoC tile's E-cores have no share of the level-3 cache.
  return HasLevel3Cache(processor) ? CoreType::kEfficient : CoreType::kLowPowerEfficient;
}

}  // namespace

TopologyLeaf FindTopologyLeaf(Processor& processor) {
  TopologyLeaf found;
  uint32_t maxLeaf = processor.Cpuid(0, 0).eax;
  for (uint32_t leaf : {0x1Fu, 0xBu}) {
    // A leaf beyond the maximum answers for another, and EBX 0 at
    // sub-leaf 0 says the leaf is not implemented.
    if (maxLeaf < leaf || processor.Cpuid(leaf, 0).ebx == 0) continue;
    found.leaf = leaf;
    for (uint32_t subleaf = 0; subleaf < 8; ++subleaf) {
      CpuidResult level = processor.Cpuid(leaf, subleaf);
      uint32_t type = (level.ecx >> 8) & 0xFF;
      if (type == 0) break;
      if (type == kLevelTypeSmt) found.smtShift = level.eax & 0x1F;
      // The last level's shift reaches the package.
      found.packageShift = level.eax & 0x1F;
    }
    return found;
  }
  return found;
}

bool FindCores(MsrAccess& access) {
  Processor& processor = access.processor();
  CpuInfo& cpu = access.cpu();
  const TopologyLeaf topology = FindTopologyLeaf(processor);
  if (topology.leaf == 0) return false;
  const uint32_t maxLeaf = processor.Cpuid(0, 0).eax;
  const bool hybrid = maxLeaf >= 0x1A && (processor.Cpuid(7, 0).edx & kHybridBit) != 0;

  std::vector<ProcessorPlace> places;
  places.reserve(static_cast<size_t>(cpu.coreCount));
  access.ForEachProcessor([&](int i) {
    // Each processor answers with its own x2APIC id.
    uint32_t x2apic = processor.Cpuid(topology.leaf, 0).edx;
    ProcessorPlace place;
    place.processor = i;
    place.package = topology.packageShift >= 32 ? 0 : x2apic >> topology.packageShift;
    place.core = topology.smtShift >= 32 ? 0 : x2apic >> topology.smtShift;
    place.type = TypeOfThisCore(processor, hybrid);
    places.push_back(place);
  });
  if (places.empty()) return false;
  std::stable_sort(places.begin(), places.end(), [](const ProcessorPlace& a, const ProcessorPlace& b) {
    if (a.package != b.package) return a.package < b.package;
    return a.core < b.core;
  });

  cpu.cores.clear();
  cpu.packages.clear();
  for (int& core : cpu.coreOfProcessor) core = -1;
  for (size_t k = 0; k < places.size(); ++k) {
    const ProcessorPlace& place = places[k];
    bool newPackage = k == 0 || places[k - 1].package != place.package;
    if (newPackage) cpu.packages.push_back({place.processor});
    if (newPackage || places[k - 1].core != place.core) {
      PhysicalCore core;
      core.type = place.type;
      core.package = static_cast<int>(cpu.packages.size()) - 1;
      cpu.cores.push_back(core);
    }
    cpu.cores.back().processors.push_back(place.processor);
    if (place.processor < cpu.packages.back().firstProcessor) cpu.packages.back().firstProcessor = place.processor;
    if (place.processor < kSlotRuleProcessors) cpu.coreOfProcessor[place.processor] = static_cast<int>(cpu.cores.size()) - 1;
  }
  for (PhysicalCore& core : cpu.cores) std::sort(core.processors.begin(), core.processors.end());
  return true;
}

}  // namespace korvath
