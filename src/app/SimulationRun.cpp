#include "app/SimulationRun.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <ostream>
#include <vector>

#include "app/JsonWriter.h"
#include "app/SimulatedMonitor.h"
#include "hw/TemperatureMonitor.h"
#include "monitor/CoreTexts.h"
#include "monitor/Monitor.h"
#include "platform/FileAppender.h"
#include "platform/TextFormat.h"
#include "platform/sim/SimulatedFiles.h"
#include "resources/resource.h"
#include "ui/DisplayTexts.h"

namespace korvath {
namespace {

constexpr int kLargestCycleCount = 1'000'000;

// Every display text of the main window, in the order of its columns.
constexpr int kMainWindowTextIds[] = {
    IDC_TEMPERATURE0,    IDC_TEMPERATURE1,    IDC_TEMPERATURE2,    IDC_TEMPERATURE3,
    IDC_DISTANCE0,       IDC_DISTANCE1,       IDC_DISTANCE2,       IDC_DISTANCE3,
    IDC_MINIMUM0,        IDC_MINIMUM1,        IDC_MINIMUM2,        IDC_MINIMUM3,
    IDC_MINIMUM_TIME0,   IDC_MINIMUM_TIME1,   IDC_MINIMUM_TIME2,   IDC_MINIMUM_TIME3,
    IDC_MAXIMUM0,        IDC_MAXIMUM1,        IDC_MAXIMUM2,        IDC_MAXIMUM3,
    IDC_MAXIMUM_TIME0,   IDC_MAXIMUM_TIME1,   IDC_MAXIMUM_TIME2,   IDC_MAXIMUM_TIME3,
    IDC_THERMAL_STATUS0, IDC_THERMAL_STATUS1, IDC_THERMAL_STATUS2, IDC_THERMAL_STATUS3,
    IDC_MODEL_NUMBER,    IDC_SIGNATURE,       IDC_CLOCK_SPEED,     IDC_BUS_MULTIPLIER,
    IDC_LOAD,            IDC_ELAPSED_TIME,
};

template <typename T>
std::vector<int64_t> ToVector(const T (&values)[kCoreSlots]) {
  std::vector<int64_t> list;
  for (const T& value : values) list.push_back(static_cast<int64_t>(value));
  return list;
}

bool ParseCycleCount(const std::string& text, int& cycles) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value > kLargestCycleCount) return false;
  cycles = static_cast<int>(value);
  return true;
}

// A settings file that only this run sees: the user's file is copied into a
// scratch file, so the shutdown's writes never touch it.
long ProcessNumber() {
#if defined(_WIN32)
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

std::string ScratchSettingsPath() {
  static int counter = 0;
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) folder = ".";
  return (folder / ("korvath-sim-" + std::to_string(ProcessNumber()) + "-" + std::to_string(++counter) + ".ini"))
      .string();
}

std::string FileContents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

// The log of a simulated run goes into the report, not onto the disk. Each
// report takes the writes made since the previous one, and at most the last
// kKeptWrites of them wait for it, so a long run with logging on keeps no
// more than a short tail.
class CapturedLogFiles : public FileAppender {
 public:
  static constexpr size_t kKeptWrites = 16;
  bool Append(const std::string& path, std::string_view bytes) override {
    if (writes.size() >= kKeptWrites) writes.erase(writes.begin());
    writes.push_back({path, std::string(bytes)});
    return true;
  }
  struct Write {
    std::string path;
    std::string bytes;
  };
  std::vector<Write> writes;
};

// The simulated process: the product's Monitor wired to the simulated machine.
// Every physical core in display order, with its type, package and logical
// processors.
std::vector<JsonObject> CoresReport(const CpuInfo& cpu) {
  std::vector<JsonObject> cores;
  for (const PhysicalCore& core : cpu.cores) {
    std::vector<int64_t> processors(core.processors.begin(), core.processors.end());
    JsonObject entry;
    entry.Add("type", CoreTypeName(core.type)).Add("package", core.package).Add("processors", processors);
    cores.push_back(entry);
  }
  return cores;
}

class SimulatedKorvath {
 public:
  SimulatedKorvath(const MachineDescription& machine, const std::optional<std::string>& settingsText)
      : run_(machine, {.settingsPath = ScratchSettingsPath(),
                       .settingsText = settingsText,
                       .logFiles = &logFiles_,
                       .metricsFiles = &metricsFiles_}) {}

  std::optional<FatalError> StartUp() { return run_.StartUp(); }

  // One timer tick a second after the previous one (the first comes 50 ms
  // after start-up).
  void RunCycle() { run_.Tick(); }

  void ShutDown() { run_.monitor->ShutDown(); }

  JsonObject StartUpReport() const {
    Monitor& monitor = *run_.monitor;
    const ProcessorIdentity& identity = monitor.identity();
    JsonObject report;
    report.Add("type", "startup")
        .Add("modelNumber", identity.ModelText())
        .Add("signatureText", identity.signatureText)
        .Add("tjMax", ToVector(monitor.settings().tjMax))
        .Add("tjMaxDetected", ToVector(monitor.settings().tjMaxDetected))
        .Add("coreSlotMask", ToVector(monitor.cpu().coreSlotMask))
        .Add("cores", CoresReport(monitor.cpu()))
        .Add("gpuReading", monitor.gpuReading())
        .Add("mayShow", run_.window.mayShow);
    return report;
  }

  JsonObject CycleReport() {
    JsonObject controls;
    for (int id : kMainWindowTextIds) controls.Add(std::to_string(id), run_.window.controls.Get(id));
    JsonObject report;
    report.Add("type", "cycle")
        .Add("cycle", run_.monitor->temperatures().stats().cycleCount)
        .Add("time", FormatTimeOfDay(run_.clock.LocalNow()))
        .Add("controls", controls)
        .Add("title", run_.window.title)
        .Add("trayTip", run_.monitor->trayTipText())
        .Add("tray", TrayReport())
        .Add("log", TakeLogReport())
        .Add("coreReadings", CoreReadingsReport())
        .Add("hottestCore", run_.monitor->temperatures().HottestCore())
        .Add("packages", PackagesReport())
        .Add("desktop", run_.desktop.TakeEvents());
    // The metrics file stays in memory; its path is the setting as written.
    if (const MetricsFile* metrics = run_.monitor->metrics())
      report.Add("metricsFile", metricsFiles_.Read(metrics->path()));
    return report;
  }

  JsonObject ShutdownReport() {
    JsonObject report;
    report.Add("type", "shutdown")
        .Add("log", TakeLogReport())
        .Add("liveIcons", static_cast<int64_t>(run_.tray.LiveIcons()))
        .Add("settingsFile", FileContents(run_.settingsPath));
    // The file as Korvath leaves it behind.
    if (const MetricsFile* metrics = run_.monitor->metrics())
      report.Add("metricsFile", metricsFiles_.Read(metrics->path()));
    return report;
  }

 private:
  // Every present core in display order, the slots first: its number, its
  // type on hybrid processors, and its temperature, null until first read.
  std::vector<JsonObject> CoreReadingsReport() const {
    std::vector<JsonObject> report;
    const TemperatureMonitor& temperatures = run_.monitor->temperatures();
    for (int number = 0; number < temperatures.displayCoreCount(); ++number) {
      const CoreReading core = temperatures.Core(number);
      if (!core.present) continue;
      JsonObject entry;
      entry.Add("core", number);
      if (core.type != CoreType::kUnknown) entry.Add("type", CoreTypeName(core.type));
      if (core.hasReading) entry.Add("temperature", core.temperature);
      else entry.AddNull("temperature");
      report.push_back(std::move(entry));
    }
    return report;
  }

  // One entry per package; a temperature of null where the processor has no
  // package sensor or its read failed this cycle.
  std::vector<JsonObject> PackagesReport() const {
    const PackageTemperatures& packages = run_.monitor->packages();
    std::vector<JsonObject> report(static_cast<size_t>(packages.packageCount()));
    for (int p = 0; p < packages.packageCount(); ++p) {
      JsonObject& entry = report[static_cast<size_t>(p)];
      if (std::optional<int> temperature = packages.temperature(p)) entry.Add("temperature", *temperature);
      else entry.AddNull("temperature");
    }
    return report;
  }

  std::vector<std::string> TrayReport() const {
    std::vector<std::string> icons;
    for (const auto& [id, icon] : run_.tray.Shown()) {
      icons.push_back(Format("%u %s %s", id, icon.picture.c_str(), icon.tip.c_str()));
    }
    return icons;
  }

  std::vector<std::string> TakeLogReport() {
    std::vector<std::string> lines;
    for (const CapturedLogFiles::Write& write : logFiles_.writes) lines.push_back(write.path + ": " + write.bytes);
    logFiles_.writes.clear();
    return lines;
  }

  // Before the run, which writes to them until it ends.
  CapturedLogFiles logFiles_;
  SimulatedFiles metricsFiles_;
  SimulatedMonitor run_;
};

}  // namespace

std::optional<std::string> ParseSimulationOptions(int argc, const char* const* argv,
                                                  SimulationOptions& options) {
  bool haveMachine = false;
  for (int i = 0; i < argc; ++i) {
    const std::string option = argv[i];
    const bool takesValue = option == "--machine" || option == "--settings" || option == "--cycles";
    if (!takesValue) return "unknown option '" + option + "'";
    if (i + 1 >= argc) return "option " + option + " needs a value";
    const std::string value = argv[++i];
    if (option == "--machine") {
      options.machinePath = value;
      haveMachine = true;
    } else if (option == "--settings") {
      options.settingsPath = value;
    } else if (!ParseCycleCount(value, options.cycles)) {
      return "--cycles needs a whole number from 0 to " + std::to_string(kLargestCycleCount) + ", not '" +
             value + "'";
    }
  }
  if (!haveMachine) return std::string("--machine FILE is required");
  return std::nullopt;
}

int RunSimulation(const MachineDescription& machine, const std::optional<std::string>& settingsText, int cycles,
                  std::ostream& out) {
  SimulatedKorvath korvath(machine, settingsText);
  if (std::optional<FatalError> fatal = korvath.StartUp()) {
    JsonObject report;
    report.Add("type", "fatal").Add("caption", fatal->caption).Add("text", fatal->text).Add("exitCode", fatal->exitCode);
    out << report.ToString() << "\n";
    return fatal->exitCode;
  }
  out << korvath.StartUpReport().ToString() << "\n";
  for (int cycle = 0; cycle < cycles; ++cycle) {
    korvath.RunCycle();
    out << korvath.CycleReport().ToString() << "\n";
  }
  korvath.ShutDown();
  out << korvath.ShutdownReport().ToString() << "\n";
  out.flush();
  return 0;
}

}  // namespace korvath
