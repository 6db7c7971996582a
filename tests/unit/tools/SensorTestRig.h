// A Sensor Test on the simulated E8400 with recording doubles around it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMachines.h"
#include "hw/CoreSlots.h"
#include "hw/MsrAccess.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedProcessor.h"
#include "resources/resource.h"
#include "tools/SensorTest.h"
#include "tools/ToolFakes.h"
#include "ui/InMemoryControlSurface.h"

namespace korvath::testing {

class FakeTimer : public DialogTimer {
 public:
  uintptr_t StartTimer(uintptr_t id, uint32_t periodMs) override {
    starts.push_back({id, periodMs});
    return runningId = nextId;
  }
  void KillTimer(uintptr_t id) override {
    kills.push_back(id);
    if (id == runningId) runningId = 0;
  }
  OwnerWindow AsOwner() override { return kWindow; }

  static constexpr OwnerWindow kWindow = 0x148;
  uintptr_t nextId = 77;
  uintptr_t runningId = 0;
  std::vector<std::pair<uintptr_t, uint32_t>> starts;
  std::vector<uintptr_t> kills;
};

// Lets a test change the machine while the code under test sleeps.
class HookedClock : public SimulatedClock {
 public:
  void Sleep(uint32_t milliseconds) override {
    SimulatedClock::Sleep(milliseconds);
    if (onSleep) onSleep(milliseconds);
  }
  std::function<void(uint32_t)> onSleep;
};

// The Sensor Test dialog's controls that its model fills and switches, with
// the texts they were given.
inline InMemoryControlSurface SensorTestControls() {
  InMemoryControlSurface controls{IDC_STATUS, IDC_START, IDC_STOP, IDC_DOWNLOAD_PRIME95};
  for (int row = 0; row < kCoolDownRows; ++row) {
    controls.Add(kCoolDownLoadCellIds[row]);
    for (int id : kCoolDownCoreCellIds[row]) controls.Add(id);
  }
  for (int id : kMovementCellIds) controls.Add(id);
  controls.Add(IDC_MOVEMENT_ALL_CORES);
  controls.RecordTexts();
  return controls;
}

struct SensorTestRig {
  explicit SensorTestRig(const std::string& machine = "e8400") : SensorTestRig(LoadMachine(machine)) {}
  explicit SensorTestRig(MachineDescription machine)
      : processor(std::move(machine), &clock, CallRecord::kOn),
        cpu(CreateCpuInfo(processor)),
        access(processor, cpu),
        test(access, clock, threads, desktop, dialog, timer) {
    desktop.pickedFile = "C:\\tools\\prime95.exe";
    desktop.shellFinds = true;
    BuildCoreSlots(access);
    processor.PokeMsr(0, kMsrClockModulation, savedModulation);
    processor.PokeMsr(1, kMsrClockModulation, savedModulation);
    processor.ClearEvents();
  }
  // The model reached only controls the dialog has.
  ~SensorTestRig() { EXPECT_TRUE(dialog.UnknownIds().empty()); }

  void SetDistance(int logical, int distance) {
    processor.PokeMsr(logical, kMsrThermStatus, 0x88000000ull | (static_cast<uint64_t>(distance) << 16));
  }
  void SetDistances(int core0, int core1) {
    SetDistance(0, core0);
    SetDistance(1, core1);
  }
  void SetLoad(double percent) {
    cpu.coreLoad[0] = percent;
    cpu.coreLoad[1] = percent;
  }

  // Opens the dialog at rest and starts a run with the stress program.
  void OpenAndStart() {
    SetDistances(38, 38);
    test.OnInitDialog();
    test.OnStart();
    ASSERT_TRUE(test.running());
  }

  // Values written to the clock-modulation register of processor 0, in order.
  std::vector<uint64_t> ModulationWrites() const {
    std::vector<uint64_t> values;
    for (const ProcessorEvent& event : processor.Events()) {
      if (event.kind == ProcessorEvent::Kind::kWriteMsr && event.index == kMsrClockModulation && event.cpu == 0) {
        values.push_back(event.value);
      }
    }
    return values;
  }

  std::string Status() const { return dialog.GetText(IDC_STATUS); }
  std::string Cell(int row, int core) const { return dialog.GetText(kCoolDownCoreCellIds[row][core]); }
  std::string LoadCell(int row) const { return dialog.GetText(kCoolDownLoadCellIds[row]); }

  static constexpr uint64_t savedModulation = 0;
  HookedClock clock;
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
  FakeThreads threads;
  SimulatedDesktop desktop;
  InMemoryControlSurface dialog = SensorTestControls();
  FakeTimer timer;
  SensorTest test;
};

}  // namespace korvath::testing
