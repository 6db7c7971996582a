#include "monitor/Monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "TestMachines.h"
#include "config/ScratchFile.h"
#include "app/SimulatedMainWindow.h"
#include "config/IniProfileStore.h"
#include "platform/FileAppender.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedGpuSource.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedTray.h"
#include "resources/resource.h"

namespace korvath {
namespace {

class NoFiles : public FileAppender {
 public:
  bool Append(const std::string& path, std::string_view bytes) override {
    writes.push_back(path + ": " + std::string(bytes));
    return true;
  }
  std::vector<std::string> writes;
};

// The whole monitor on a simulated machine, with a settings file of its own.
class MonitorRig {
 public:
  explicit MonitorRig(const MachineDescription& machine, const std::string& settings = "")
      : processor(machine, &clock, CallRecord::kOn),
        clockProcessor(machine, &clockThreadClock),
        gpu(machine),
        profile(settingsFile.path(), "Korvath") {
    if (!settings.empty()) settingsFile.Write("[Korvath]\n" + settings);
    monitor = std::make_unique<Monitor>(
        MonitorSeams{processor, clock, clockProcessor, clockThreadClock, desktop, gpu, profile, files, tray, tray,
                     SimulatedTray::kApplicationIcon, false, {}},
        window);
  }

  std::optional<FatalError> StartUp() {
    std::optional<FatalError> fatal = monitor->StartUp();
    if (!fatal) monitor->RunClockPasses(9);
    return fatal;
  }
  void Tick() {
    clock.AdvanceMilliseconds(monitor->firstTickPending() ? kFirstTickMs : kCyclePeriodMs);
    monitor->OnMonitorTimer();
  }
  const std::string& Text(int id) const { return window.controls.Get(id); }
  std::string SettingsFile() const { return settingsFile.Read(); }

  testing::ScratchFile settingsFile;
  SimulatedClock clock;
  SimulatedClock clockThreadClock;
  SimulatedProcessor processor;
  SimulatedProcessor clockProcessor;
  SimulatedGpuSource gpu;
  SimulatedDesktop desktop;
  SimulatedTray tray;
  NoFiles files;
  IniProfileStore profile;
  SimulatedMainWindow window;
  std::unique_ptr<Monitor> monitor;
};

MachineDescription WithoutGpu(MachineDescription machine) {
  machine.hasGpu = false;
  machine.gpuTemperatures.clear();
  return machine;
}

TEST(Monitor, StartUpOpensIdentifiesAndArmsTheFirstTick) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  std::vector<std::string> events = rig.processor.EventStrings();
  // The hardware is opened before any register is read.
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events[0], "open");
  EXPECT_EQ(events[1], "status");
  EXPECT_EQ(events[2], "msr-support");
  EXPECT_EQ(rig.window.timers.at(kMonitorTimerId), kFirstTickMs);
  EXPECT_TRUE(rig.window.mayShow);
  EXPECT_EQ(rig.Text(IDC_MODEL_NUMBER), "");  // texts reach the controls only with the first cycle
  rig.Tick();
  EXPECT_EQ(rig.window.timers.at(kMonitorTimerId), kCyclePeriodMs);
  EXPECT_EQ(rig.Text(IDC_MODEL_NUMBER), "E8400");
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE0), "62");
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE2), "");  // absent slot
  EXPECT_EQ(rig.Text(IDC_THERMAL_STATUS3), "");
  EXPECT_EQ(rig.monitor->trayTipText(), "Core 0:  62\xC2\xB0" "C\nCore 1:  62\xC2\xB0" "C");
  EXPECT_EQ(rig.monitor->titleText(), "62\xC2\xB0" "C 62\xC2\xB0" "C");
}

TEST(Monitor, FatalPathsEndTheStartUpBeforeTheTimer) {
  MachineDescription noDriver = testing::LoadMachine("e8400");
  noDriver.driverStatus = 3;
  MonitorRig driverRig(noDriver);
  std::optional<FatalError> fatal = driverRig.StartUp();
  ASSERT_TRUE(fatal.has_value());
  EXPECT_EQ(fatal->caption, "Driver Error");
  EXPECT_EQ(fatal->text, "Driver Not Found");
  EXPECT_TRUE(driverRig.window.timers.empty());

  MonitorRig unsupported(testing::LoadMachine("pentium-d"));
  fatal = unsupported.StartUp();
  ASSERT_TRUE(fatal.has_value());
  EXPECT_EQ(fatal->caption, "Error");
  EXPECT_TRUE(unsupported.window.timers.empty());
  EXPECT_EQ(unsupported.SettingsFile(), "");  // nothing was written on the way out
}

TEST(Monitor, GpuTextFromTheFourthCycleAndNeverWithoutAGpu) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  for (int cycle = 1; cycle <= 3; ++cycle) {
    rig.Tick();
    EXPECT_EQ(rig.Text(IDC_SIGNATURE), "1067A") << cycle;
  }
  rig.Tick();
  EXPECT_EQ(rig.Text(IDC_SIGNATURE), "GPU  61\xC2\xB0" "C");  // the hotter of 55 and 61
  EXPECT_EQ(rig.monitor->temperatures().stats().maxTemp[kGpuEntry], 61);

  MonitorRig noGpu(WithoutGpu(testing::LoadMachine("e8400")), "IconShow=31\nAlarm2=90\n");
  ASSERT_FALSE(noGpu.StartUp().has_value());
  for (int cycle = 1; cycle <= 6; ++cycle) noGpu.Tick();
  EXPECT_EQ(noGpu.Text(IDC_SIGNATURE), "1067A");
  EXPECT_EQ(noGpu.monitor->settings().alarm2, 0);
  EXPECT_EQ(noGpu.monitor->settings().iconShow & kIconShowGpu, 0u);

  MonitorRig switchedOff(testing::LoadMachine("e8400"), "NoGPU=1\n");
  ASSERT_FALSE(switchedOff.StartUp().has_value());
  for (int cycle = 1; cycle <= 5; ++cycle) switchedOff.Tick();
  EXPECT_EQ(switchedOff.Text(IDC_SIGNATURE), "1067A");
  EXPECT_FALSE(switchedOff.monitor->gpuReading());
}

TEST(Monitor, FirstTickAddsIconsGpuFirstAndMinimisesWhenAsked) {
  MonitorRig rig(testing::LoadMachine("e8400"), "IconShow=31\nStartMinimized=1\nTaskBar=1\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  EXPECT_TRUE(rig.window.mayShow);  // TaskBar keeps the window reachable
  rig.Tick();
  EXPECT_TRUE(rig.window.minimized);
  std::vector<int> added = rig.monitor->tray().AddedIcons();
  EXPECT_EQ(added, (std::vector<int>{4, 1, 0}));
  EXPECT_EQ(rig.tray.Shown().at(4298).tip, " GPU ");
  EXPECT_EQ(rig.tray.Shown().at(4295).tip, "Core 1");

  MonitorRig hidden(testing::LoadMachine("e8400"), "StartMinimized=1\n");
  ASSERT_FALSE(hidden.StartUp().has_value());
  EXPECT_FALSE(hidden.window.mayShow);  // only the tray icons show
}

TEST(Monitor, MiniModeShowsTemperaturesInTheTitleAndSkipsTheZOrder) {
  MonitorRig rig(testing::LoadMachine("e8400"), "MiniMode=1\nOnTop=1\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  EXPECT_TRUE(rig.window.miniMode);
  EXPECT_EQ(rig.monitor->settings().miniMode, 1);
  EXPECT_EQ(rig.window.title, "62\xC2\xB0" "C 62\xC2\xB0" "C");
  EXPECT_FALSE(rig.window.topmost);
  EXPECT_FALSE(rig.monitor->normalWindowRectSet());
  rig.monitor->ToggleMiniMode();
  rig.Tick();
  EXPECT_TRUE(rig.window.topmost);
  EXPECT_TRUE(rig.monitor->normalWindowRectSet());
}

TEST(Monitor, ResetRestartsTheStatisticsAndPushesTheTexts) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  for (int cycle = 0; cycle < 3; ++cycle) rig.Tick();
  rig.monitor->ResetStatistics();
  EXPECT_EQ(rig.monitor->temperatures().stats().cycleCount, 0u);
  EXPECT_EQ(rig.Text(IDC_MINIMUM0), "");
  rig.Tick();
  EXPECT_EQ(rig.monitor->temperatures().stats().cycleCount, 1u);
  EXPECT_EQ(rig.Text(IDC_MINIMUM0), "62\xC2\xB0" "C");
}

TEST(Monitor, ShutdownSavesTheWindowStateThenPutsTheHardwareBack) {
  MonitorRig rig(testing::LoadMachine("e8400"), "TjMax1=95\nClockMod=16\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  rig.processor.ClearEvents();
  rig.monitor->ShutDown();
  EXPECT_TRUE(rig.window.timers.empty());
  EXPECT_TRUE(rig.window.gdiObjectsDeleted);
  EXPECT_EQ(rig.tray.LiveIcons(), 0u);
  std::string file = rig.SettingsFile();
  EXPECT_NE(file.find("TjMax1=95"), std::string::npos) << file;  // keys it does not own stay
  EXPECT_NE(file.find("ClockMod=18"), std::string::npos) << file;  // 16 was applied as 18
  EXPECT_NE(file.find("APICID=01"), std::string::npos) << file;
  std::vector<std::string> events = rig.processor.EventStrings();
  auto position = [&](const std::string& event) {
    return std::find(events.begin(), events.end(), event) - events.begin();
  };
  // Modulation read for saving, then switched off, then the library closed last.
  EXPECT_LT(position("read cpu0 0x19A"), position("write cpu0 0x19A 0x2"));
  EXPECT_EQ(events.back(), "close");
  rig.monitor->OnMonitorTimer();  // a late timer message does nothing
  EXPECT_EQ(rig.processor.EventStrings().back(), "close");
}

TEST(Monitor, AnchorIsSetWithShiftAndReachedWithout) {
  MonitorRig rig(testing::LoadMachine("e8400"), "AnchorXY=537206764\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  EXPECT_EQ(rig.monitor->anchorPoint, (ScreenPoint{-20, 5}));
  EXPECT_EQ(rig.monitor->OnAnchorDoubleClick(false), std::nullopt);
  EXPECT_EQ(rig.window.rect, (WindowRect{-20, 5, 298, 383}));

  rig.window.MoveWindowBy(120, 35);
  EXPECT_EQ(rig.monitor->OnAnchorDoubleClick(true), "Previous Position\n( -20, 5 )\n\nNew Position\n( 100, 40 )\n");
  EXPECT_EQ(rig.monitor->OnAnchorDoubleClick(true), "Current Position\n( 100, 40 )\n");
  rig.monitor->ShutDown();
  EXPECT_NE(rig.SettingsFile().find("AnchorXY=539500644"), std::string::npos) << rig.SettingsFile();
}

TEST(Monitor, HoverReportsOnlyOutsideMiniMode) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  std::optional<HoverReport> minimum = rig.monitor->HoverReportAt(40, 200, 312);
  ASSERT_TRUE(minimum.has_value());
  EXPECT_EQ(minimum->kind, HoverReport::Kind::kPopup);
  EXPECT_EQ(minimum->text, HoverDateText(rig.monitor->temperatures().stats().minTime[0]));
  // The E8400 has two cores: column 3 of the Maximum band is empty.
  EXPECT_EQ(rig.monitor->HoverReportAt(260, 260, 312), std::nullopt);
  rig.monitor->ToggleMiniMode();
  EXPECT_EQ(rig.monitor->HoverReportAt(40, 200, 312), std::nullopt);
}

// read_fails_every: now and then a register read fails and gives 0 in both
// halves, which the monitor takes as it comes (a sensor reading 0 below TjMax,
// a counter reading 0). Only those readings are off: every cycle still runs,
// counts, shows its texts and logs its line.
TEST(Monitor, RegisterReadsThatFailNowAndThenCostOnlyThoseReadings) {
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.readFailsEvery = 11;  // a little less than one cycle's reads, so the failure moves round them
  machine.activity.loadPercent = 50;
  MonitorRig rig(machine, "LogFile=1\nLogInterval=1\nHDWrite=1\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  int tjMaxCycles = 0;
  for (int cycle = 1; cycle <= 300; ++cycle) {
    rig.Tick();
    const std::string& temperature = rig.Text(IDC_TEMPERATURE0);
    ASSERT_TRUE(temperature == "62" || temperature == "100") << cycle << ": " << temperature;
    tjMaxCycles += temperature == "100";
    double load = std::atof(rig.Text(IDC_LOAD).c_str() + 5);
    EXPECT_TRUE(load >= 0 && load <= 100) << rig.Text(IDC_LOAD);
    EXPECT_EQ(rig.monitor->temperatures().stats().cycleCount, static_cast<uint64_t>(cycle));
  }
  EXPECT_GT(tjMaxCycles, 0);
  EXPECT_LT(tjMaxCycles, 300);
  EXPECT_EQ(rig.Text(IDC_ELAPSED_TIME), "0:04:59");
  EXPECT_EQ(rig.Text(IDC_MAXIMUM0), "100\xC2\xB0" "C");
  EXPECT_EQ(rig.files.writes.size(), 300u);  // one line a second, none lost
}

TEST(Monitor, AnchorNeverSetIsTheOrigin) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.monitor->OnAnchorDoubleClick(false);
  EXPECT_EQ(rig.window.rect, (WindowRect{0, 0, 318, 378}));
}

}  // namespace
}  // namespace korvath
