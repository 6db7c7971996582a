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
#include "app/SimulatedMainWindow.h"
#include "config/IniProfileStore.h"
#include "hw/TemperatureMonitor.h"
#include "monitor/CoreTexts.h"
#include "monitor/Monitor.h"
#include "platform/FileAppender.h"
#include "platform/TextFormat.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedFiles.h"
#include "platform/sim/SimulatedGpuSource.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedTray.h"
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
class ScratchSettingsFile {
 public:
  explicit ScratchSettingsFile(const std::optional<std::string>& text) {
    static int counter = 0;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) folder = ".";
    path_ = (folder / ("korvath-sim-" + std::to_string(ProcessNumber()) + "-" + std::to_string(++counter) +
                       ".ini")).string();
    if (text) {
      std::ofstream file(path_, std::ios::binary | std::ios::trunc);
      file << *text;
    }
  }
  ~ScratchSettingsFile() {
    std::error_code error;
    std::filesystem::remove(path_, error);
  }
  const std::string& path() const { return path_; }
  std::string Contents() const {
    std::ifstream file(path_, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
  }

 private:
  static long ProcessNumber() {
#if defined(_WIN32)
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
  }
  std::string path_;
};

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
      : processor_(machine, &clock_),
        clockProcessor_(machine, &clockThreadClock_),
        gpu_(machine),
        settingsFile_(settingsText),
        profile_(settingsFile_.path(), "Korvath"),
        monitor_(MonitorSeams{.processor = processor_,
                              .time = clock_,
                              .clockProcessor = clockProcessor_,
                              .clockTime = clockThreadClock_,
                              .desktop = desktop_,
                              .gpu = gpu_,
                              .settingsFile = profile_,
                              .logFiles = logFiles_,
                              .trayShell = tray_,
                              .trayPainter = tray_,
                              .applicationIcon = SimulatedTray::kApplicationIcon,
                              .startClockThread = false,
                              .metricsFiles = &metricsFiles_},
                 window_) {
    // Nothing reads the GPU calls back; a long run must not keep them.
    gpu_.SetRecording(false);
  }

  std::optional<FatalError> StartUp() {
    std::optional<FatalError> fatal = monitor_.StartUp();
    // The clock thread has had its eight passes by the time the first
    // cycles run.
    if (!fatal) monitor_.RunClockPasses(kClockPassesBeforeFirstCycle);
    return fatal;
  }

  // One timer tick a second after the previous one (the first comes 50 ms
  // after start-up).
  void RunCycle() {
    if (monitor_.firstTickPending()) clock_.AdvanceMilliseconds(kFirstTickMs);
    else clock_.AdvanceMilliseconds(kCyclePeriodMs);
    monitor_.OnMonitorTimer();
  }

  void ShutDown() { monitor_.ShutDown(); }

  JsonObject StartUpReport() const {
    const ProcessorIdentity& identity = monitor_.identity();
    Monitor& monitor = const_cast<Monitor&>(monitor_);
    JsonObject report;
    report.Add("type", "startup")
        .Add("modelNumber", identity.ModelText())
        .Add("signatureText", identity.signatureText)
        .Add("tjMax", ToVector(monitor.settings().tjMax))
        .Add("tjMaxDetected", ToVector(monitor.settings().tjMaxDetected))
        .Add("coreSlotMask", ToVector(monitor.cpu().coreSlotMask))
        .Add("cores", CoresReport(monitor.cpu()))
        .Add("gpuReading", monitor_.gpuReading())
        .Add("mayShow", window_.mayShow);
    return report;
  }

  JsonObject CycleReport() {
    JsonObject controls;
    for (int id : kMainWindowTextIds) controls.Add(std::to_string(id), window_.controls.Get(id));
    JsonObject report;
    report.Add("type", "cycle")
        .Add("cycle", monitor_.temperatures().stats().cycleCount)
        .Add("time", FormatTimeOfDay(clock_.LocalNow()))
        .Add("controls", controls)
        .Add("title", window_.title)
        .Add("trayTip", monitor_.trayTipText())
        .Add("tray", TrayReport())
        .Add("log", TakeLogReport())
        .Add("coreReadings", CoreReadingsReport())
        .Add("hottestCore", monitor_.temperatures().HottestCore())
        .Add("packages", PackagesReport())
        .Add("desktop", desktop_.TakeEvents());
    // The metrics file stays in memory; its path is the setting as written.
    if (const MetricsFile* metrics = monitor_.metrics()) report.Add("metricsFile", metricsFiles_.Read(metrics->path()));
    return report;
  }

  JsonObject ShutdownReport() {
    JsonObject report;
    report.Add("type", "shutdown")
        .Add("log", TakeLogReport())
        .Add("liveIcons", static_cast<int64_t>(tray_.LiveIcons()))
        .Add("settingsFile", settingsFile_.Contents());
    // The file as Korvath leaves it behind.
    if (const MetricsFile* metrics = monitor_.metrics()) report.Add("metricsFile", metricsFiles_.Read(metrics->path()));
    return report;
  }

 private:
  static constexpr int kClockPassesBeforeFirstCycle = 9;

  // Every present core in display order, the slots first: its number, its
  // type on hybrid processors, and its temperature, null until first read.
  std::vector<JsonObject> CoreReadingsReport() const {
    std::vector<JsonObject> report;
    const TemperatureMonitor& temperatures = monitor_.temperatures();
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
    const PackageTemperatures& packages = monitor_.packages();
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
    for (const auto& [id, icon] : tray_.Shown()) {
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

  SimulatedClock clock_;
  SimulatedClock clockThreadClock_;
  SimulatedProcessor processor_;
  SimulatedProcessor clockProcessor_;
  SimulatedGpuSource gpu_;
  SimulatedDesktop desktop_;
  SimulatedTray tray_;
  CapturedLogFiles logFiles_;
  SimulatedFiles metricsFiles_;
  ScratchSettingsFile settingsFile_;
  IniProfileStore profile_;
  SimulatedMainWindow window_;
  Monitor monitor_;
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
