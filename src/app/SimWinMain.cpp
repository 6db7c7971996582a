// korvath-sim.exe: the whole Windows program on a simulated processor read
// from simulated-machine.ini beside the executable. A test tool; the GPU
// driver, the settings file and everything else are the real ones.
#include <windows.h>

#include <memory>

#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "config/SettingsPath.h"
#include "monitor/MainWindow.h"
#include "platform/TextFormat.h"
#include "platform/sim/KeptDefinitionScheduler.h"
#include "platform/sim/MachineDescription.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedWorkThreads.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/NvapiGpuSource.h"
#include "platform/win32/PerformanceCounterTime.h"
#include "platform/win32/Win32ProfileStore.h"
#include "platform/win32/Win32Processor.h"
#include "platform/win32/Win32TaskScheduler.h"
#include "platform/win32/Win32Threads.h"
#include "platform/win32/Win32TimeSource.h"

namespace {

constexpr int kNoMachineExitCode = 2;
// Its own name: a test run beside a real Korvath is no second instance of it.
constexpr const char* kProgram = "Korvath-sim";

// [driver] real_drivers: the register calls take the road korvath.exe takes
// (the library beside the executable, else the read-only driver), where the
// doubles serve the same machine file; CPUID and the time stay simulated.
class RealDriverProcessor : public korvath::SimulatedProcessor {
 public:
  using SimulatedProcessor::SimulatedProcessor;
  void OpenHardwareAccess() override { drivers_.OpenHardwareAccess(); }
  int GetHardwareAccessStatus() override { return drivers_.GetHardwareAccessStatus(); }
  bool QueryMsrSupport() override { return drivers_.QueryMsrSupport(); }
  bool ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) override {
    return drivers_.ReadMsr(index, low, high);
  }
  void WriteMsr(uint32_t index, uint32_t low, uint32_t high) override { drivers_.WriteMsr(index, low, high); }
  void CloseHardwareAccess() override { drivers_.CloseHardwareAccess(); }
  bool OpenReadOnlyAccess() override { return drivers_.OpenReadOnlyAccess(); }

 private:
  korvath::Win32Processor drivers_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  korvath::RestrictDllSearchToSystem();
  korvath::Win32TaskScheduler realScheduler;
  korvath::KeptDefinitionScheduler scheduler(
      realScheduler, korvath::Narrow(korvath::ExecutableFolder()) + "scheduled-task.xml");
  if (std::optional<int> exitCode = korvath::RunCommandLineSwitches(kProgram, scheduler)) return *exitCode;
  if (std::optional<int> exitCode = korvath::ClaimSingleInstance(kProgram)) return *exitCode;
  std::string machinePath = korvath::Narrow(korvath::ExecutableFolder()) + "simulated-machine.ini";
  korvath::MachineParseResult machine = korvath::LoadMachineDescription(machinePath);
  if (!machine.machine) {
    korvath::ShowFatalError({"Simulated Machine", machine.error, kNoMachineExitCode});
    return kNoMachineExitCode;
  }
  korvath::Win32TimeSource time;
  korvath::PerformanceCounterTime machineTime;
  std::unique_ptr<korvath::SimulatedProcessor> ownProcessor =
      machine.machine->realDrivers ? std::make_unique<RealDriverProcessor>(*machine.machine, &machineTime)
                                   : std::make_unique<korvath::SimulatedProcessor>(*machine.machine, &machineTime);
  korvath::SimulatedProcessor& processor = *ownProcessor;
  // The clock thread pins itself: it needs a processor state of its own.
  korvath::SimulatedProcessor clockProcessor(*machine.machine, &machineTime);
  // The stress stand-in, while it runs, and the movement test's load threads
  // load the simulated processor as they would a real one.
  processor.SetStressProbe([] { return FindWindowW(nullptr, L"Stress stand-in") != nullptr; });
  korvath::NvapiGpuSource gpu;
  korvath::Win32Threads win32Threads;
  korvath::SimulatedWorkThreads threads(win32Threads, processor);
  korvath::Win32ProfileStore settings(
      korvath::SettingsPathForModule(korvath::Narrow(korvath::ModuleFileName(nullptr))), "Korvath");
  return korvath::RunMainWindow({.window = {.processor = processor,
                                            .time = time,
                                            .settingsFile = settings,
                                            .threads = threads,
                                            .scheduler = &scheduler,
                                            .restoreMessageName = korvath::RestoreMessageName(kProgram)},
                                 .clockProcessor = clockProcessor,
                                 .clockTime = time,
                                 .gpu = gpu});
}
