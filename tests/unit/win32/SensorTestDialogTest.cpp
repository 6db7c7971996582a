// The Sensor Test window on the real template with the real stress-program
// processes: the stand-in is started, watched and terminated. Needs a
// display; tests/e2e/sensor-test.sh runs it under Xvfb.
#include "tools/SensorTestDialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "TestMachines.h"
#include "hw/CoreSlots.h"
#include "hw/MsrAccess.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Threads.h"
#include "platform/win32/Win32TimeSource.h"
#include "resources/resource.h"
#include "tools/SensorTestRig.h"
#include "tools/ToolFakes.h"

namespace korvath {
namespace {

bool HaveDisplay() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

std::string StandInPath() {
  std::string path = std::string("Z:") + KORVATH_STRESS_STANDIN;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Message boxes and pickers are recorded; processes are real.
class ProcessDesktop : public SimulatedDesktop {
 public:
  ProcessId StartProcess(const std::string& path, uint32_t affinityMask) override {
    started.push_back({path, affinityMask});
    return processes.Start(path, affinityMask);
  }
  bool IsProcessRunning(ProcessId process) override { return processes.IsRunning(process); }
  void TerminateProcess(ProcessId process) override {
    terminated.push_back(process.value);
    processes.Terminate(process);
  }
  Win32Processes processes;
};

constexpr UINT kScript = WM_APP + 1;

// Runs a script inside the modal loop once the dialog is up.
class ScriptedSensorTest : public SensorTestDialog {
 public:
  template <typename... Args>
  explicit ScriptedSensorTest(std::function<void(ScriptedSensorTest&)> script, Args&&... args)
      : SensorTestDialog(std::forward<Args>(args)...), script_(std::move(script)) {}

 protected:
  std::optional<intptr_t> HandleMessage(const WindowMessage& message) override {
    if (message.id == kScript) {
      script_(*this);
      return 0;
    }
    return SensorTestDialog::HandleMessage(message);
  }
  bool OnInitDialog() override {
    bool result = SensorTestDialog::OnInitDialog();
    PostMessageW(Handle(), kScript, 0, 0);
    return result;
  }

 private:
  std::function<void(ScriptedSensorTest&)> script_;
};

void Click(Dialog& dialog, int id) { SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

bool ProcessEnds(DWORD id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return true;  // already gone
  bool ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

// The real threads, counted from their start until their work returns.
class CountedThreads : public Win32Threads {
 public:
  std::unique_ptr<WorkerThread> Start(int priority, std::function<void()> work) override {
    ++unfinished;
    std::unique_ptr<WorkerThread> thread = Win32Threads::Start(priority, [this, work] {
      work();
      --unfinished;
    });
    if (!thread) --unfinished;
    return thread;
  }
  std::atomic<int> unfinished{0};
};

// The real clock, with a look at the load threads when the movement test's
// four seconds are over and the loaded reading follows.
class WatchedClock : public Win32TimeSource {
 public:
  void Sleep(uint32_t milliseconds) override {
    Win32TimeSource::Sleep(milliseconds);
    if (onSleep) onSleep();
  }
  std::function<void()> onSleep;
};

// However fast the processor, the load lasts until the second reading: one
// run of the work takes well under four seconds on a current machine.
TEST(SensorTest, LoadThreadsRunUntilTheLoadedReadingAndNoLonger) {
  SimulatedProcessor processor(testing::LoadMachine("e8400"));
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  BuildCoreSlots(access);
  CountedThreads threads;
  WatchedClock clock;
  int runningAtReading = -1;
  clock.onSleep = [&] { runningAtReading = threads.unfinished.load(); };
  SimulatedDesktop desktop;
  InMemoryControlSurface dialog = testing::SensorTestControls();
  testing::FakeTimer timer;
  {
    SensorTest test(access, clock, threads, desktop, dialog, timer);
    test.OnInitDialog();
    EXPECT_EQ(runningAtReading, 2);
    test.OnDestroy();
    EXPECT_EQ(threads.unfinished.load(), 0);
  }
}

TEST(SensorTestDialog, StartsWatchesAndStopsTheStressProgram) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display to create windows on";
  SimulatedClock clock;
  SimulatedProcessor processor(testing::LoadMachine("e8400"), &clock);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  BuildCoreSlots(access);
  Win32Threads threads;
  ProcessDesktop desktop;
  desktop.pickedFile = StandInPath();
  RECT mainWindow = {100, 120, 400, 520};

  uint32_t launched = 0;
  ScriptedSensorTest dialog(
      [&](ScriptedSensorTest& self) {
        ControlSurface& controls = self.Controls();
        RECT placed = {};
        GetWindowRect(self.Handle(), &placed);
        EXPECT_EQ(placed.left, 400);
        EXPECT_EQ(placed.top, 120);
        EXPECT_EQ(controls.GetText(IDC_MOVEMENT0), "0");
        EXPECT_EQ(controls.GetText(IDC_MOVEMENT1), "0");
        EXPECT_EQ(controls.GetText(IDC_MOVEMENT2), "");
        EXPECT_EQ(controls.GetText(IDC_MOVEMENT3), "");
        EXPECT_EQ(controls.GetText(IDC_STATUS), "Press Start to begin a 10 minute sensor test.");
        EXPECT_FALSE(controls.IsEnabled(IDC_STOP));

        Click(self, IDC_START);
        EXPECT_EQ(controls.GetText(IDC_STATUS), "Run Small FFTs");
        EXPECT_FALSE(controls.IsEnabled(IDC_START));
        EXPECT_TRUE(controls.IsEnabled(IDC_STOP));
        ASSERT_EQ(desktop.started.size(), 1u);
        EXPECT_EQ(desktop.started[0].second, 0x3u);
        launched = self.model().prime95().value;
        EXPECT_TRUE(desktop.processes.IsRunning(ProcessId{launched}));

        // The first tick finds the stand-in running and keeps going.
        SendMessageW(self.Handle(), WM_TIMER, 0, 0);
        EXPECT_EQ(self.model().coolDown().tick(), 1);
        EXPECT_TRUE(desktop.messages.empty());

        Click(self, IDC_STOP);
        EXPECT_EQ(controls.GetText(IDC_STATUS), "CPU Cool Down Test Stopped.");
        EXPECT_TRUE(controls.IsEnabled(IDC_START));
        self.EndDialog(IDCANCEL);
      },
      nullptr, mainWindow, access, clock, threads, desktop);
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
  ASSERT_NE(launched, 0u);
  EXPECT_EQ(desktop.terminated, (std::vector<uint32_t>{launched}));
  EXPECT_TRUE(ProcessEnds(launched));
}

TEST(SensorTestDialog, ClosingDuringATestTerminatesTheStressProgram) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display to create windows on";
  SimulatedClock clock;
  SimulatedProcessor processor(testing::LoadMachine("e8400"), &clock);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  BuildCoreSlots(access);
  testing::FakeThreads threads;
  ProcessDesktop desktop;
  desktop.pickedFile = StandInPath();
  // Far right on the screen: the dialog opens to the main window's left.
  int screen = GetSystemMetrics(SM_CXSCREEN);
  RECT mainWindow = {screen - 300, 50, screen - 10, 400};

  uint32_t launched = 0;
  ScriptedSensorTest dialog(
      [&](ScriptedSensorTest& self) {
        RECT placed = {};
        GetWindowRect(self.Handle(), &placed);
        EXPECT_EQ(placed.right, screen - 300);
        Click(self, IDC_START);
        launched = self.model().prime95().value;
        self.EndDialog(IDCANCEL);
      },
      nullptr, mainWindow, access, clock, threads, desktop);
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
  ASSERT_NE(launched, 0u);
  EXPECT_EQ(desktop.terminated, (std::vector<uint32_t>{launched}));
  EXPECT_TRUE(ProcessEnds(launched));
  // Closing puts the saved modulation back on both processors.
  EXPECT_EQ(processor.PeekMsr(0, kMsrClockModulation), 0u);
  EXPECT_EQ(processor.PeekMsr(1, kMsrClockModulation), 0u);
}

// Sixteen cores on the real template: the line under the movement cells
// names the one core that stayed put, in a window of its own that lies in
// the dialog and clear of the cells.
TEST(SensorTestDialog, SixteenCoresNameTheCoreThatDidNotMove) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display to create windows on";
  testing::HookedClock clock;
  SimulatedProcessor processor(testing::LoadMachine("i9-12900k"), &clock);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  BuildCoreSlots(access);
  auto setDistances = [&](int moved) {
    for (int p = 0; p < 24; ++p) {
      const uint64_t distance = 60 - (p == 21 ? 0 : moved);  // processor 21 is core 13's
      processor.PokeMsr(p, kMsrThermStatus, 0x88000000ull | distance << 16);
    }
  };
  setDistances(0);
  clock.onSleep = [&](uint32_t) { setDistances(7); };
  testing::FakeThreads threads;
  ProcessDesktop desktop;
  RECT mainWindow = {100, 120, 400, 520};

  ScriptedSensorTest dialog(
      [&](ScriptedSensorTest& self) {
        EXPECT_EQ(self.Controls().GetText(IDC_MOVEMENT3), "7");
        EXPECT_EQ(self.Controls().GetText(IDC_MOVEMENT_ALL_CORES), "Did not move: 13 (1 of 16 cores)");
        // The dialog itself shows only after this script, so the line's own style says it will show.
        HWND line = GetDlgItem(self.Handle(), IDC_MOVEMENT_ALL_CORES);
        EXPECT_TRUE(line && (GetWindowLongW(line, GWL_STYLE) & WS_VISIBLE));
        RECT lineRect = {}, cellRect = {}, client = {}, overlap = {};
        GetWindowRect(line, &lineRect);
        GetWindowRect(GetDlgItem(self.Handle(), IDC_MOVEMENT3), &cellRect);
        GetClientRect(self.Handle(), &client);
        MapWindowPoints(self.Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        EXPECT_FALSE(IntersectRect(&overlap, &lineRect, &cellRect));
        EXPECT_TRUE(lineRect.left >= client.left && lineRect.right <= client.right && lineRect.top >= cellRect.bottom &&
                    lineRect.bottom <= client.bottom);
        self.EndDialog(IDCANCEL);
      },
      nullptr, mainWindow, access, clock, threads, desktop);
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
  EXPECT_EQ(threads.workerPriorities.size(), 24u);
}

}  // namespace
}  // namespace korvath
