// The simulated machine: a parsed machine description file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Processor.h"

namespace korvath {

struct CpuidKey {
  uint32_t leaf = 0;
  uint32_t subleaf = 0;
  auto operator<=>(const CpuidKey&) const = default;
};

struct MachineDescription {
  std::map<CpuidKey, CpuidResult> cpuid;
  // Per logical processor overrides of single leaves ([cpuid.cpuN]).
  std::map<int, std::map<CpuidKey, CpuidResult>> cpuidOverrides;
  uint32_t systemAffinity = 0x1;
  // The mask the process starts with; the system mask when not given.
  std::optional<uint32_t> processAffinity;
  double tscMhz = 3000.0;
  std::map<uint32_t, uint64_t> msr;
  std::map<int, std::map<uint32_t, uint64_t>> msrOverrides;  // [msr.cpuN]
  std::vector<int> gpuTemperatures;  // empty: no NVIDIA GPU
  bool hasGpu = false;
  int driverStatus = 0;
  bool msrSupport = true;
};

struct MachineParseResult {
  std::optional<MachineDescription> machine;
  std::string error;  // "line N: what is wrong" when machine is empty
};

MachineParseResult ParseMachineDescription(const std::string& text);
MachineParseResult LoadMachineDescription(const std::string& path);

}  // namespace korvath
