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

// How busy a logical processor is and how fast it runs against its nominal
// clock; drives the fixed counters 0x30A and 0x30B.
struct ProcessorActivity {
  double loadPercent = 0.0;  // share of time not halted
  double clockRatio = 1.0;   // actual clock / nominal (time-stamp counter) clock
  // Bus ratio placed into bits 26-22 and the half step bit 18 of 0x2A; the
  // register keeps whatever [msr] says when not given.
  std::optional<double> busRatio;
};

// The keys of one [counters.cpuN] section; what it leaves out comes from
// [counters], wherever that section stands in the file.
struct ActivityOverride {
  std::optional<double> loadPercent;
  std::optional<double> clockRatio;
  std::optional<double> busRatio;
};

// How a core's digital thermal sensor follows its load ([thermal] with
// [thermal.cpuN] laid over it): the readout, a distance below TjMax, moves
// from idleReadout at no load towards fullReadout at full load, exponentially
// with the time constant.
struct ThermalResponse {
  double idleReadout = 0;
  double fullReadout = 0;
  double timeConstantSeconds = 5;
};

struct ThermalOverride {
  std::optional<double> idleReadout;
  std::optional<double> fullReadout;
  std::optional<double> timeConstantSeconds;
};

// A load that repeats ([schedule]): entry k of each list holds from k steps
// after the start, for every processor, and each list starts again when it
// runs out. An empty ratio or bus ratio list leaves what [counters] says.
struct LoadSchedule {
  double stepSeconds = 60;
  std::vector<double> loadPercent;
  std::vector<double> clockRatio;
  std::vector<double> busRatio;
};

struct MachineDescription {
  std::map<CpuidKey, CpuidResult> cpuid;
  // Per logical processor overrides of single leaves ([cpuid.cpuN]).
  std::map<int, std::map<CpuidKey, CpuidResult>> cpuidOverrides;
  // Group 0's processors.
  uint64_t systemAffinity = 0x1;
  // The mask the process starts with; the system mask when not given.
  std::optional<uint64_t> processAffinity;
  // [system] processors = N: N logical processors, all present, in as many
  // groups as Windows forms; without it one group, systemAffinity.
  std::optional<int> processors;
  // Every group's processors; group g's processor n is logical processor
  // (the sizes of the groups before g) + n.
  std::vector<uint64_t> groups{0x1};
  double tscMhz = 3000.0;
  std::map<uint32_t, uint64_t> msr;
  std::map<int, std::map<uint32_t, uint64_t>> msrOverrides;  // [msr.cpuN]
  ProcessorActivity activity;                       // [counters]
  std::map<int, ActivityOverride> activityOverrides;  // [counters.cpuN]
  std::vector<int> gpuTemperatures;  // empty: no NVIDIA GPU
  bool hasGpu = false;
  // Every GPU answers this many readings, then fails every one.
  std::optional<int> gpuFailAfter;
  int driverStatus = 0;
  bool msrSupport = true;
  // Every n-th register read fails and gives 0 in both halves; 0: none fails.
  int readFailsEvery = 0;
  // The read-only driver is installed and its module is in place.
  bool readOnlyDriver = false;
  // False: the read-only driver's module is an older one that refuses MPERF
  // and APERF.
  bool readOnlyCounters = true;
  // korvath-sim.exe only: the register calls go through the real drivers
  // (the library beside the executable, else the read-only driver), which
  // the doubles serve.
  bool realDrivers = false;
  // A living machine: without these the sensors and loads are what [msr]
  // and [counters] say, for the whole run.
  bool hasThermal = false;
  ThermalOverride thermal;                          // [thermal]
  std::map<int, ThermalOverride> thermalOverrides;  // [thermal.cpuN]
  std::optional<LoadSchedule> schedule;
};

inline constexpr int kMaxSimulatedProcessors = 256;

// The thermal response of one logical processor; empty without [thermal].
std::optional<ThermalResponse> ThermalOf(const MachineDescription& machine, int cpu);

// The activity of one logical processor: [counters] with its [counters.cpuN]
// keys laid over it.
ProcessorActivity ActivityOf(const MachineDescription& machine, int cpu);

struct MachineParseResult {
  std::optional<MachineDescription> machine;
  std::string error;  // "line N: what is wrong" when machine is empty
};

MachineParseResult ParseMachineDescription(const std::string& text);
MachineParseResult LoadMachineDescription(const std::string& path);

}  // namespace korvath
