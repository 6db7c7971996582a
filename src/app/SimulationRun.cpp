#include "app/SimulationRun.h"

#include <cstdlib>
#include <ostream>
#include <vector>

#include "app/JsonWriter.h"
#include "app/SimulatedTscClock.h"
#include "hw/ClockDisplay.h"
#include "hw/CoreRatios.h"
#include "hw/CoreSlots.h"
#include "hw/IdleCalibration.h"
#include "hw/MsrAccess.h"
#include "hw/NominalMultiplier.h"
#include "hw/ProcessorIdentity.h"
#include "hw/ProcessorSupport.h"
#include "hw/TemperatureMonitor.h"
#include "hw/TjMax.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"
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

// The simulated process: the same objects the product's start-up builds,
// wired to the simulated machine.
class SimulatedKorvath {
 public:
  SimulatedKorvath(const MachineDescription& machine, const SimulationSettings& settings)
      : settings_(settings),
        processor_(machine, &clock_),
        cpu_(CreateCpuInfo(processor_)),
        access_(processor_, cpu_),
        tscClock_(machine, clock_),
        monitor_(access_, clock_, identity_.tjMax, texts_) {}

  std::optional<FatalError> StartUp() {
    if (auto fatal = access_.Open()) return fatal;
    IdentifySignature(access_, identity_);
    DetermineMaxMultiplier(access_);
    TakeCounterBaselines(access_);
    texts_.Set(IDC_SIGNATURE, identity_.signatureText);
    if (auto fatal = CheckProcessorSupport(processor_, identity_.signature)) return fatal;
    BuildCoreSlots(access_);
    tscClock_.Start();
    IdentifyModelAndTjMax(access_, identity_);
    texts_.Set(IDC_MODEL_NUMBER, identity_.ModelText());
    ApplySettings();
    return std::nullopt;
  }

  void RunCycle() {
    clock_.AdvanceMilliseconds(1000);
    monitor_.stats().cycleCount += 1;
    monitor_.SampleAllCores();
    tscClock_.CatchUp();
    UpdateClockDisplay(access_, tscClock_.measurements().tscMhz.load(), monitor_.stats().cycleCount, texts_);
    access_.EnableFixedCounters();
  }

  JsonObject StartUpReport() const {
    JsonObject report;
    report.Add("type", "startup")
        .Add("modelNumber", identity_.ModelText())
        .Add("signatureText", identity_.signatureText)
        .Add("tjMax", ToVector(identity_.tjMax))
        .Add("tjMaxDetected", ToVector(identity_.tjMaxDetected))
        .Add("coreSlotMask", ToVector(cpu_.coreSlotMask));
    return report;
  }

  JsonObject CycleReport() {
    JsonObject controls;
    for (int id : kMainWindowTextIds) controls.Add(std::to_string(id), texts_.Get(id));
    JsonObject report;
    report.Add("type", "cycle")
        .Add("cycle", monitor_.stats().cycleCount)
        .Add("time", FormatTimeOfDay(clock_.LocalNow()))
        .Add("controls", controls);
    return report;
  }

 private:
  void ApplySettings() {
    ApplyTjMaxSettings(identity_.tjMax, identity_.tjMaxDetected, settings_.tjMax);
    for (int k = 0; k < kCoreSlots; ++k) {
      monitor_.idleCalibration[k] = IdleCalibrationFromText(settings_.idle[k]);
    }
    monitor_.degreeSuffix = DegreeSuffixFromSetting(settings_.degreeSymbolString);
  }

  SimulationSettings settings_;
  SimulatedClock clock_;
  SimulatedProcessor processor_;
  CpuInfo cpu_;
  MsrAccess access_;
  SimulatedTscClock tscClock_;
  ProcessorIdentity identity_;
  DisplayTexts texts_;
  TemperatureMonitor monitor_;
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

int RunSimulation(const MachineDescription& machine, const SimulationSettings& settings, int cycles,
                  std::ostream& out) {
  SimulatedKorvath korvath(machine, settings);
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
  out.flush();
  return 0;
}

}  // namespace korvath
