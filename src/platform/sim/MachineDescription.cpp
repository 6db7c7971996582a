#include "platform/sim/MachineDescription.h"

#include <cerrno>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace korvath {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Whole-token unsigned number, decimal or 0x hexadecimal.
bool ParseUnsigned(const std::string& token, uint64_t* value) {
  if (token.empty() || token[0] == '-' || token[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long parsed = std::strtoull(token.c_str(), &end, 0);
  if (errno != 0 || end == token.c_str() || *end != '\0') return false;
  *value = parsed;
  return true;
}

bool ParseSigned(const std::string& token, int64_t* value) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long parsed = std::strtoll(token.c_str(), &end, 0);
  if (errno != 0 || end == token.c_str() || *end != '\0') return false;
  *value = parsed;
  return true;
}

bool ParseDouble(const std::string& token, double* value) {
  if (token.empty()) return false;
  char* end = nullptr;
  double parsed = std::strtod(token.c_str(), &end);
  if (end == token.c_str() || *end != '\0') return false;
  *value = parsed;
  return true;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream stream(text);
  std::string word;
  while (stream >> word) words.push_back(word);
  return words;
}

// "cpu3" -> 3; only logical processors 0..255 exist.
bool ParseCpuSuffix(const std::string& suffix, int* cpu) {
  if (suffix.rfind("cpu", 0) != 0) return false;
  uint64_t number = 0;
  if (!ParseUnsigned(suffix.substr(3), &number) || number >= kMaxSimulatedProcessors) return false;
  *cpu = static_cast<int>(number);
  return true;
}

class Parser {
 public:
  MachineParseResult Run(const std::string& text) {
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
      ++lineNumber_;
      if (lineNumber_ == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
      size_t comment = line.find_first_of(";#");
      if (comment != std::string::npos) line.erase(comment);
      line = Trim(line);
      if (line.empty()) continue;
      if (!(line.front() == '[' ? Section(line) : Entry(line))) {
        return {std::nullopt, "line " + std::to_string(lineNumber_) + ": " + error_};
      }
    }
    ApplyCounters();
    if (machine_.processors && sawAffinity_) return {std::nullopt, "[system] takes processors or affinity, not both"};
    FormGroups();
    if (machine_.schedule && machine_.schedule->loadPercent.empty()) {
      return {std::nullopt, "[schedule] needs a load list"};
    }
    if (machine_.hasThermal && !(machine_.thermal.idleReadout && machine_.thermal.fullReadout)) {
      return {std::nullopt, "[thermal] needs idle_readout and full_readout"};
    }
    return {machine_, {}};
  }

 private:
  enum class Kind { kNone, kCpuid, kSystem, kMsr, kGpu, kDriver, kCounters, kThermal, kSchedule };

  bool Fail(const std::string& what) {
    error_ = what;
    return false;
  }

  bool Section(const std::string& line) {
    if (line.back() != ']') return Fail("section header without closing ']'");
    std::string name = Lower(Trim(line.substr(1, line.size() - 2)));
    cpu_ = -1;
    std::string base = name;
    size_t dot = name.find('.');
    if (dot != std::string::npos) {
      base = name.substr(0, dot);
      if ((base != "cpuid" && base != "msr" && base != "counters" && base != "thermal") ||
          !ParseCpuSuffix(name.substr(dot + 1), &cpu_)) {
        return Fail("unknown section [" + name + "]");
      }
    }
    if (base == "cpuid") kind_ = Kind::kCpuid;
    else if (base == "system") kind_ = Kind::kSystem;
    else if (base == "msr") kind_ = Kind::kMsr;
    else if (base == "gpu") kind_ = Kind::kGpu, machine_.hasGpu = true;
    else if (base == "driver") kind_ = Kind::kDriver;
    else if (base == "counters") kind_ = Kind::kCounters;
    else if (base == "thermal") kind_ = Kind::kThermal, machine_.hasThermal = true;
    else if (base == "schedule") kind_ = Kind::kSchedule, machine_.schedule.emplace();
    else return Fail("unknown section [" + name + "]");
    return true;
  }

  bool Entry(const std::string& line) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) return Fail("expected 'key = value'");
    std::string key = Lower(Trim(line.substr(0, equals)));
    std::string value = Trim(line.substr(equals + 1));
    if (key.empty()) return Fail("empty key");
    switch (kind_) {
      case Kind::kNone: return Fail("entry outside a section");
      case Kind::kCpuid: return CpuidEntry(key, value);
      case Kind::kSystem: return SystemEntry(key, value);
      case Kind::kMsr: return MsrEntry(key, value);
      case Kind::kGpu: return GpuEntry(key, value);
      case Kind::kDriver: return DriverEntry(key, value);
      case Kind::kCounters: return CountersEntry(key, value);
      case Kind::kThermal: return ThermalEntry(key, value);
      case Kind::kSchedule: return ScheduleEntry(key, value);
    }
    return Fail("internal parser state");
  }

  bool CpuidEntry(const std::string& key, const std::string& value) {
    CpuidKey leaf;
    uint64_t number = 0;
    size_t dot = key.find('.');
    if (!ParseUnsigned(key.substr(0, dot), &number) || number > 0xFFFFFFFFu) {
      return Fail("CPUID leaf '" + key + "' is not a 32-bit number");
    }
    leaf.leaf = static_cast<uint32_t>(number);
    if (dot != std::string::npos) {
      if (!ParseUnsigned(key.substr(dot + 1), &number) || number > 0xFFFFFFFFu) {
        return Fail("CPUID sub-leaf in '" + key + "' is not a 32-bit number");
      }
      leaf.subleaf = static_cast<uint32_t>(number);
    }
    std::vector<std::string> words = SplitWords(value);
    if (words.size() != 4) return Fail("CPUID leaf needs four registers: eax ebx ecx edx");
    uint32_t registers[4];
    for (int i = 0; i < 4; ++i) {
      if (!ParseUnsigned(words[i], &number) || number > 0xFFFFFFFFu) {
        return Fail("register value '" + words[i] + "' is not a 32-bit number");
      }
      registers[i] = static_cast<uint32_t>(number);
    }
    CpuidResult result{registers[0], registers[1], registers[2], registers[3]};
    if (cpu_ < 0) machine_.cpuid[leaf] = result;
    else machine_.cpuidOverrides[cpu_][leaf] = result;
    return true;
  }

  bool SystemEntry(const std::string& key, const std::string& value) {
    uint64_t number = 0;
    if (key == "affinity" || key == "process_affinity") {
      if (!ParseUnsigned(value, &number)) return Fail(key + " must be a 64-bit mask");
      if (number == 0) return Fail(key + " must name at least one processor");
      if (key == "affinity") {
        machine_.systemAffinity = number;
        sawAffinity_ = true;
      } else {
        machine_.processAffinity = number;
      }
      return true;
    }
    if (key == "processors") {
      if (!ParseUnsigned(value, &number) || number < 1 || number > kMaxSimulatedProcessors) {
        return Fail("processors must be a number from 1 to 256");
      }
      machine_.processors = static_cast<int>(number);
      return true;
    }
    if (key == "tsc_mhz") {
      double mhz = 0;
      if (!ParseDouble(value, &mhz) || !(mhz > 0 && mhz < 100000)) {
        return Fail("tsc_mhz must be a frequency in MHz above 0");
      }
      machine_.tscMhz = mhz;
      return true;
    }
    return Fail("unknown key '" + key + "' in [system]");
  }

  bool MsrEntry(const std::string& key, const std::string& value) {
    uint64_t index = 0;
    uint64_t number = 0;
    if (!ParseUnsigned(key, &index) || index > 0xFFFFFFFFu) {
      return Fail("register index '" + key + "' is not a 32-bit number");
    }
    if (!ParseUnsigned(value, &number)) {
      return Fail("register value '" + value + "' is not a 64-bit number");
    }
    if (cpu_ < 0) machine_.msr[static_cast<uint32_t>(index)] = number;
    else machine_.msrOverrides[cpu_][static_cast<uint32_t>(index)] = number;
    return true;
  }

  bool GpuEntry(const std::string& key, const std::string& value) {
    if (key == "fail_after") {
      int64_t number = 0;
      if (!ParseSigned(value, &number) || number < 0 || number > INT32_MAX) {
        return Fail("fail_after must be a number of readings from 0");
      }
      machine_.gpuFailAfter = static_cast<int>(number);
      return true;
    }
    if (key != "temperatures") return Fail("unknown key '" + key + "' in [gpu]");
    machine_.gpuTemperatures.clear();
    for (const std::string& word : SplitWords(value)) {
      int64_t number = 0;
      if (!ParseSigned(word, &number) || number < 0 || number > 255) {
        return Fail("GPU temperature '" + word + "' is not a number from 0 to 255");
      }
      machine_.gpuTemperatures.push_back(static_cast<int>(number));
    }
    return true;
  }

  bool DriverEntry(const std::string& key, const std::string& value) {
    int64_t number = 0;
    if (key == "status") {
      if (!ParseSigned(value, &number) || number < INT32_MIN || number > INT32_MAX) {
        return Fail("status must be an integer");
      }
      machine_.driverStatus = static_cast<int>(number);
      return true;
    }
    if (key == "msr_support") {
      if (value != "0" && value != "1") return Fail("msr_support must be 0 or 1");
      machine_.msrSupport = value == "1";
      return true;
    }
    if (key == "read_fails_every") {
      if (!ParseSigned(value, &number) || number < 0 || number > INT32_MAX) {
        return Fail("read_fails_every must be a number of register reads from 0");
      }
      machine_.readFailsEvery = static_cast<int>(number);
      return true;
    }
    if (key == "read_only_driver" || key == "real_drivers" || key == "read_only_counters") {
      if (value != "0" && value != "1") return Fail(key + " must be 0 or 1");
      bool& flag = key == "real_drivers"       ? machine_.realDrivers
                   : key == "read_only_driver" ? machine_.readOnlyDriver
                                               : machine_.readOnlyCounters;
      flag = value == "1";
      return true;
    }
    return Fail("unknown key '" + key + "' in [driver]");
  }

  bool CountersEntry(const std::string& key, const std::string& value) {
    ActivityOverride& target = cpu_ < 0 ? counters_ : machine_.activityOverrides[cpu_];
    double number = 0;
    if (key == "load") {
      if (!ParseDouble(value, &number) || !(number >= 0 && number <= 100)) {
        return Fail("load must be a percentage from 0 to 100");
      }
      target.loadPercent = number;
      return true;
    }
    if (key == "ratio") {
      if (!ParseDouble(value, &number) || !(number > 0 && number <= 4)) {
        return Fail("ratio must be a clock ratio above 0 and at most 4");
      }
      target.clockRatio = number;
      return true;
    }
    if (key == "bus_ratio") {
      // The register field holds 0-31 in whole steps plus one half-step bit.
      if (!ParseDouble(value, &number) || !(number >= 0 && number <= 31.5) ||
          number * 2 != static_cast<double>(static_cast<int>(number * 2))) {
        return Fail("bus_ratio must be 0 to 31.5 in steps of 0.5");
      }
      target.busRatio = number;
      return true;
    }
    return Fail("unknown key '" + key + "' in [counters]");
  }

  bool ThermalEntry(const std::string& key, const std::string& value) {
    ThermalOverride& target = cpu_ < 0 ? machine_.thermal : machine_.thermalOverrides[cpu_];
    double number = 0;
    if (key == "idle_readout" || key == "full_readout") {
      // The readout field of 0x19C has seven bits.
      if (!ParseDouble(value, &number) || !(number >= 0 && number <= 127)) {
        return Fail(key + " must be a distance below TjMax from 0 to 127");
      }
      (key == "idle_readout" ? target.idleReadout : target.fullReadout) = number;
      return true;
    }
    if (key == "time_constant") {
      if (!ParseDouble(value, &number) || !(number > 0 && number <= 86400)) {
        return Fail("time_constant must be a number of seconds above 0");
      }
      target.timeConstantSeconds = number;
      return true;
    }
    return Fail("unknown key '" + key + "' in [thermal]");
  }

  bool ScheduleEntry(const std::string& key, const std::string& value) {
    LoadSchedule& schedule = *machine_.schedule;
    double number = 0;
    if (key == "step") {
      if (!ParseDouble(value, &number) || !(number >= 1 && number <= 86400)) {
        return Fail("step must be a number of seconds from 1");
      }
      schedule.stepSeconds = number;
      return true;
    }
    if (key != "load" && key != "ratio" && key != "bus_ratio") {
      return Fail("unknown key '" + key + "' in [schedule]");
    }
    std::vector<double>& list =
        key == "load" ? schedule.loadPercent : key == "ratio" ? schedule.clockRatio : schedule.busRatio;
    list.clear();
    for (const std::string& word : SplitWords(value)) {
      if (!ParseDouble(word, &number)) number = -1;
      if (key == "load" && !(number >= 0 && number <= 100)) {
        return Fail("load '" + word + "' is not a percentage from 0 to 100");
      }
      if (key == "ratio" && !(number > 0 && number <= 4)) {
        return Fail("ratio '" + word + "' is not a clock ratio above 0 and at most 4");
      }
      if (key == "bus_ratio" && !(number >= 0 && number <= 31.5 && number * 2 == static_cast<int>(number * 2))) {
        return Fail("bus ratio '" + word + "' is not 0 to 31.5 in steps of 0.5");
      }
      list.push_back(number);
    }
    if (list.empty()) return Fail(key + " needs at least one value");
    return true;
  }

  void ApplyCounters() {
    if (counters_.loadPercent) machine_.activity.loadPercent = *counters_.loadPercent;
    if (counters_.clockRatio) machine_.activity.clockRatio = *counters_.clockRatio;
    if (counters_.busRatio) machine_.activity.busRatio = counters_.busRatio;
  }

  // The package of logical processor n, from the x2APIC id its topology
  // leaf reports and the highest level's shift; one package without
  // topology leaves.
  uint32_t PackageOf(int cpu) const {
    uint32_t leaf = 0;
    for (uint32_t candidate : {0x1Fu, 0xBu}) {
      if (machine_.cpuid.count({candidate, 0}) && machine_.cpuid.at({candidate, 0}).ebx != 0) {
        leaf = candidate;
        break;
      }
    }
    if (leaf == 0) return 0;
    uint32_t shift = 0;
    for (uint32_t level = 0; level < 8; ++level) {
      auto found = machine_.cpuid.find({leaf, level});
      if (found == machine_.cpuid.end() || ((found->second.ecx >> 8) & 0xFF) == 0) break;
      shift = found->second.eax & 0x1F;
    }
    uint32_t x2apic = machine_.cpuid.at({leaf, 0}).edx;
    auto perCpu = machine_.cpuidOverrides.find(cpu);
    if (perCpu != machine_.cpuidOverrides.end()) {
      auto found = perCpu->second.find({leaf, 0});
      if (found != perCpu->second.end()) x2apic = found->second.edx;
    }
    return shift >= 32 ? 0 : x2apic >> shift;
  }

  // Windows' grouping: at most 64 processors a group, and a package is kept
  // whole in one group when it fits.
  void FormGroups() {
    if (!machine_.processors) {
      machine_.groups = {machine_.systemAffinity};
      return;
    }
    const int count = *machine_.processors;
    std::vector<int> sizes{0};
    int cpu = 0;
    while (cpu < count) {
      uint32_t package = PackageOf(cpu);
      int end = cpu + 1;
      while (end < count && PackageOf(end) == package) ++end;
      int left = end - cpu;
      if (left <= 64 && sizes.back() + left > 64) sizes.push_back(0);
      while (left > 0) {
        if (sizes.back() == 64) sizes.push_back(0);
        int taken = std::min(left, 64 - sizes.back());
        sizes.back() += taken;
        left -= taken;
      }
      cpu = end;
    }
    machine_.groups.clear();
    for (int size : sizes) machine_.groups.push_back(size == 64 ? ~uint64_t{0} : (uint64_t{1} << size) - 1);
    machine_.systemAffinity = machine_.groups.front();
  }

  bool sawAffinity_ = false;
  ActivityOverride counters_;
  MachineDescription machine_;
  Kind kind_ = Kind::kNone;
  int cpu_ = -1;
  int lineNumber_ = 0;
  std::string error_;
};

}  // namespace

ProcessorActivity ActivityOf(const MachineDescription& machine, int cpu) {
  ProcessorActivity activity = machine.activity;
  auto found = machine.activityOverrides.find(cpu);
  if (found == machine.activityOverrides.end()) return activity;
  const ActivityOverride& override = found->second;
  if (override.loadPercent) activity.loadPercent = *override.loadPercent;
  if (override.clockRatio) activity.clockRatio = *override.clockRatio;
  if (override.busRatio) activity.busRatio = override.busRatio;
  return activity;
}

std::optional<ThermalResponse> ThermalOf(const MachineDescription& machine, int cpu) {
  if (!machine.hasThermal) return std::nullopt;
  ThermalOverride merged = machine.thermal;
  auto found = machine.thermalOverrides.find(cpu);
  if (found != machine.thermalOverrides.end()) {
    const ThermalOverride& override = found->second;
    if (override.idleReadout) merged.idleReadout = override.idleReadout;
    if (override.fullReadout) merged.fullReadout = override.fullReadout;
    if (override.timeConstantSeconds) merged.timeConstantSeconds = override.timeConstantSeconds;
  }
  ThermalResponse response;
  response.idleReadout = merged.idleReadout.value_or(0);
  response.fullReadout = merged.fullReadout.value_or(0);
  if (merged.timeConstantSeconds) response.timeConstantSeconds = *merged.timeConstantSeconds;
  return response;
}

MachineParseResult ParseMachineDescription(const std::string& text) {
  return Parser().Run(text);
}

MachineParseResult LoadMachineDescription(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {std::nullopt, "cannot read machine file '" + path + "'"};
  std::ostringstream contents;
  contents << file.rdbuf();
  MachineParseResult result = ParseMachineDescription(contents.str());
  if (!result.machine) result.error = path + ": " + result.error;
  return result;
}

}  // namespace korvath
