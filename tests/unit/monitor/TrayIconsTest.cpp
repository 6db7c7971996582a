#include "monitor/TrayIcons.h"

#include <gtest/gtest.h>

#include "monitor/TrayIconText.h"
#include "platform/sim/SimulatedTray.h"

namespace korvath {
namespace {

constexpr std::array<bool, kTrayIconCount> kTwoCoresAndGpu = {true, true, false, false, true};

struct TrayRig {
  TrayRig() {
    input.present = kTwoCoresAndGpu;
    tray.recordCalls = true;
  }
  ~TrayRig() {
    // Every drawn picture still alive is the one a record shows: one more
    // is a leak.
    size_t held = 0;
    for (int index = 0; index < kAllTrayIcons; ++index) held += tray.IsLive(icons.Record(index).icon) ? 1 : 0;
    EXPECT_EQ(tray.LiveIcons(), held);
    EXPECT_EQ(tray.Faults(), 0) << "an icon destroyed twice, or shown after it was destroyed";
  }

  void SetTemperatures(int core0, int core1, int gpu) {
    input.temperature[0] = core0;
    input.temperature[1] = core1;
    input.temperature[4] = gpu;
  }
  void Cycle() {
    ++stats.cycleCount;
    tray.calls.clear();
    icons.Refresh(input);
  }
  std::string Picture(uint32_t id) const {
    auto found = tray.Shown().find(id);
    return found == tray.Shown().end() ? std::string() : found->second.picture;
  }
  std::string Tip(uint32_t id) const {
    auto found = tray.Shown().find(id);
    return found == tray.Shown().end() ? std::string() : found->second.tip;
  }

  AppSettings settings;
  SimulatedTray tray;
  TrayIcons icons{settings, tray, tray, SimulatedTray::kApplicationIcon};
  TemperatureStats stats;
  TrayRefreshInput input{stats};
};

TEST(TrayIconText, KeepsTwoDigits) {
  EXPECT_EQ(TrayIconText(100), "00");
  EXPECT_EQ(TrayIconText(105), "05");
  EXPECT_EQ(TrayIconText(112), "12");
  EXPECT_EQ(TrayIconText(123), "23");
  EXPECT_EQ(TrayIconText(99), "99");
  EXPECT_EQ(TrayIconText(7), "7");
  EXPECT_EQ(TrayIconText(-5), "-5");
}

TEST(TrayIcons, AddsGpuThenCoresDownwardsAndTipsTheLowest) {
  TrayRig rig;
  rig.settings.iconShow = 0x1F;
  EXPECT_EQ(rig.icons.BeginAdding(kTwoCoresAndGpu, 0), TrayIcons::Adding::kDone);
  EXPECT_EQ(rig.tray.calls, (std::vector<std::string>{"add 4298", "add 4295", "add 4294"}));
  EXPECT_EQ(rig.icons.AddedIcons(), (std::vector<int>{4, 1, 0}));
  EXPECT_EQ(rig.icons.TipIconIndex(), 0);
  EXPECT_EQ(rig.icons.Record(0).callbackMessage, 0x8000u);
  EXPECT_EQ(rig.icons.Record(0).flags, 7u);
  EXPECT_EQ(rig.settings.iconShow, 0x1Fu);

  rig.input.trayTipText = "Core 0:  45\xC2\xB0" "C\nCore 1:  47\xC2\xB0" "C";
  rig.SetTemperatures(45, 47, 60);
  rig.Cycle();
  EXPECT_EQ(rig.tray.calls, (std::vector<std::string>{"modify 4294 45", "modify 4295 47", "modify 4298 60"}));
  EXPECT_EQ(rig.Tip(4294), rig.input.trayTipText);
  EXPECT_EQ(rig.Tip(4295), "Core 1");
  EXPECT_EQ(rig.Tip(4298), " GPU ");

  rig.settings.trayInfo = true;
  rig.Cycle();
  EXPECT_EQ(rig.Tip(4295), rig.input.trayTipText);
}

// Added before the others, so the lowest core icon keeps the tip; drawn
// from the value the monitor chose, blinking by the hottest core's own
// temperature.
TEST(TrayIcons, HottestCoreIconComesFirstAndBlinksByItsTemperature) {
  TrayRig rig;
  rig.settings.iconShow = 0x1023;
  rig.settings.alarm = true;
  rig.settings.alarm1 = 80;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  EXPECT_EQ(rig.tray.calls, (std::vector<std::string>{"add 4299", "add 4295", "add 4294"}));
  EXPECT_EQ(rig.icons.TipIconIndex(), 0);
  rig.SetTemperatures(85, 47, 0);
  rig.input.alarmThisCycle = true;
  rig.Cycle();  // no core read yet: the icon stays as added
  EXPECT_EQ(rig.Picture(4299), "app");

  rig.input.hottestPresent = true;
  rig.input.hottestValue = 15;  // distance mode: the readout
  rig.input.hottestTemperature = 85;
  std::vector<std::string> pictures;
  for (int i = 0; i < 3; ++i) {
    rig.Cycle();
    pictures.push_back(rig.Picture(4299));
  }
  EXPECT_EQ(pictures, (std::vector<std::string>{"15", "app", "15"}));
  EXPECT_EQ(rig.Tip(4299), "Hottest core");
  rig.settings.alarm = false;
  rig.input.alarmThisCycle = false;
  rig.Cycle();
  rig.icons.RedrawIcon(0);  // core 0's colour changed, which this icon shares; core 0 shows its readout
  rig.Cycle();
  EXPECT_EQ(rig.tray.calls, (std::vector<std::string>{"modify 4294 0", "modify 4299 15"}));

  // Alone in the tray it carries the all-cores tip.
  TrayRig alone;
  alone.settings.iconShow = 0x20;
  alone.icons.BeginAdding(kTwoCoresAndGpu, 0);
  alone.input.trayTipText = "Hottest: Core 13 (E)  71\xC2\xB0" "C";
  alone.input.hottestPresent = true;
  alone.input.hottestValue = 71;
  alone.Cycle();
  EXPECT_EQ(alone.Tip(4299), alone.input.trayTipText);
  alone.tray.calls.clear();
  alone.icons.DeleteShownIcons();
  EXPECT_EQ(alone.tray.calls, std::vector<std::string>{"delete 4299"});
}

TEST(TrayIcons, NoGpuAndNoShownIconFallBackToTheTaskBar) {
  TrayRig rig;
  rig.settings.iconShow = 0x1010;  // only the GPU icon, which is not read
  rig.icons.BeginAdding({true, true, false, false, false}, 0);
  EXPECT_TRUE(rig.tray.calls.empty());
  EXPECT_TRUE(rig.settings.taskBar);
  EXPECT_EQ(rig.settings.iconShow, 0x1000u);
  EXPECT_EQ(rig.icons.TipIconIndex(), -1);
}

TEST(TrayIcons, UnchangedValuesAreNotRedrawnExceptTheTipIcon) {
  TrayRig rig;
  rig.settings.iconShow = 0x03;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  rig.SetTemperatures(45, 47, 0);
  rig.Cycle();
  rig.Cycle();
  EXPECT_EQ(rig.tray.calls, std::vector<std::string>{"modify 4294 45"});

  rig.settings.alarm = true;  // alarms on: every icon every cycle
  rig.Cycle();
  EXPECT_EQ(rig.tray.calls, (std::vector<std::string>{"modify 4294 45", "modify 4295 47"}));
}

TEST(TrayIcons, IconsAtTheThresholdBlinkOnOddCyclesDuringAnAlarm) {
  TrayRig rig;
  rig.settings.iconShow = 0x03;
  rig.settings.alarm = true;
  rig.settings.alarm1 = 80;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  rig.SetTemperatures(85, 47, 0);
  rig.input.alarmThisCycle = true;
  std::vector<std::string> core0;
  for (int i = 0; i < 4; ++i) {
    rig.Cycle();
    core0.push_back(rig.Picture(4294));
    EXPECT_EQ(rig.Picture(4295), "47");
  }
  EXPECT_EQ(core0, (std::vector<std::string>{"app", "85", "app", "85"}));
  rig.input.alarmThisCycle = false;
  rig.Cycle();
  EXPECT_EQ(rig.Picture(4294), "85");
}

TEST(TrayIcons, ValueFollowsTheDisplayMode) {
  TrayRig rig;
  rig.settings.iconShow = 0x11;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  TemperatureStats& stats = rig.stats;
  rig.SetTemperatures(50, 0, 61);
  rig.input.readout[0] = 50;
  stats.minTemp[0] = 40;
  stats.maxTemp[0] = 70;
  stats.minDistance[0] = 30;
  stats.maxDistance[0] = 60;
  stats.tempSum[0] = 50 * 3 + 1;
  stats.distanceSum[0] = 50 * 3 + 2;
  stats.minTemp[4] = 55;
  stats.maxTemp[4] = 66;
  stats.tempSum[4] = 61 * 3;
  struct Case {
    uint32_t mode;
    const char* core;
    const char* gpu;
  } cases[] = {
      {0x0000, "50", "61"}, {0x0200, "40", "55"}, {0x0400, "70", "66"}, {0x0800, "50", "61"},
      {0x1000, "50", "61"}, {0x1200, "30", "55"}, {0x1400, "60", "66"}, {0x1800, "51", "61"},
      {0x0600, "70", "66"},  // a hand-edited file: the later bit wins
  };
  for (const Case& c : cases) {
    rig.stats.cycleCount = 2;  // this cycle is the third
    rig.settings.iconShow = 0x11 | c.mode;
    rig.icons.ForceRedraw();
    rig.Cycle();
    EXPECT_EQ(rig.Picture(4294), c.core) << std::hex << c.mode;
    EXPECT_EQ(rig.Picture(4298), c.gpu) << std::hex << c.mode;
  }
}

TEST(TrayIcons, HottestIconValueFollowsTheDisplayMode) {
  CoreReading core;
  core.hasReading = core.hasRecords = true;
  core.temperature = 50;
  core.readout = 45;
  core.minTemp = 40;
  core.maxTemp = 70;
  core.minDistance = 30;
  core.maxDistance = 60;
  core.averageTemperature = 51;
  core.averageDistance = 52;
  std::vector<int> values;
  for (uint32_t mode : {0x0000u, 0x0200u, 0x0400u, 0x0800u, 0x1000u, 0x1200u, 0x1400u, 0x1800u, 0x0600u}) {
    values.push_back(HottestIconValue(core, 0x20 | mode));
  }
  EXPECT_EQ(values, (std::vector<int>{50, 40, 70, 51, 45, 30, 60, 52, 70}));
  // Reset, and the core not read since: its records are empty markers.
  core.hasRecords = false;
  core.minTemp = kMinTempStart;
  EXPECT_EQ((std::vector<int>{HottestIconValue(core, 0x200), HottestIconValue(core, 0x1200)}),
            (std::vector<int>{50, 45}));
}

TEST(TrayIcons, AverageRightAfterResetIsTheCurrentValue) {
  TrayRig rig;
  rig.settings.iconShow = 0x801;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  rig.stats.tempSum[0] = 50 * 9;
  rig.stats.cycleCount = 9;
  rig.stats.Reset();
  // The next cycle counts itself and records its one sample.
  rig.stats.tempSum[0] += 57;
  rig.SetTemperatures(57, 0, 0);
  rig.Cycle();
  EXPECT_EQ(rig.Picture(4294), "57");
}

TEST(TrayIcons, FailedDrawingKeepsTheOldPictureAndRetries) {
  TrayRig rig;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  rig.SetTemperatures(45, 0, 0);
  rig.Cycle();
  IconHandle shown = rig.icons.Record(0).icon;
  rig.tray.failDrawing = true;
  rig.SetTemperatures(46, 0, 0);
  rig.Cycle();
  EXPECT_TRUE(rig.tray.calls.empty());
  EXPECT_EQ(rig.icons.Record(0).icon, shown);
  EXPECT_TRUE(rig.tray.IsLive(shown));
  rig.tray.failDrawing = false;
  rig.input.trayTipText = "x";
  rig.settings.trayInfo = true;  // not the tip icon's rule that redraws it
  rig.Cycle();
  EXPECT_EQ(rig.Picture(4294), "46");
}

TEST(TrayIcons, RefusedIconIsRetriedInOrderThenGivenUp) {
  TrayRig rig;
  rig.settings.iconShow = 0x03;
  rig.tray.refuseAdds = 3;
  uint32_t now = 0;
  EXPECT_EQ(rig.icons.BeginAdding(kTwoCoresAndGpu, now), TrayIcons::Adding::kRetrying);
  EXPECT_TRUE(rig.icons.AddedIcons().empty());
  for (int i = 0; i < 2; ++i) EXPECT_EQ(rig.icons.RetryAdding(now += kTrayRetryPeriodMs), TrayIcons::Adding::kRetrying);
  EXPECT_EQ(rig.icons.RetryAdding(now += kTrayRetryPeriodMs), TrayIcons::Adding::kDone);
  EXPECT_EQ(rig.icons.AddedIcons(), (std::vector<int>{1, 0}));
  EXPECT_EQ(rig.tray.calls,
            (std::vector<std::string>{"add 4295 refused", "modify 4295 refused", "add 4295 refused",
                                      "modify 4295 refused", "add 4295 refused", "modify 4295 refused", "add 4295",
                                      "add 4294"}));
  EXPECT_FALSE(rig.settings.taskBar);

  TrayRig never;
  never.settings.iconShow = 0x03;
  never.tray.refuseAdds = 1000;
  now = 0xFFFFF000;  // the tick count wraps during the wait
  never.icons.BeginAdding(kTwoCoresAndGpu, now);
  int retries = 0;
  while (never.icons.RetryAdding(now += kTrayRetryPeriodMs) == TrayIcons::Adding::kRetrying) ++retries;
  EXPECT_EQ(retries, 120000 / 2500 - 1);
  EXPECT_TRUE(never.icons.AddedIcons().empty());
  EXPECT_TRUE(never.settings.taskBar);
  EXPECT_EQ(never.settings.iconShow, 0x03u);  // the user's choice, for the next start
  never.Cycle();
  EXPECT_TRUE(never.tray.calls.empty());  // nothing to redraw while nothing is shown
}

// A shell that took an add but answered too late refuses the same id from
// then on: the add is followed by a modify, so the icons converge at once
// instead of being retried for two minutes. Explorer starting again later
// gets every chosen icon back, and the exit removes them all.
TEST(TrayIcons, SlowOrRestartedShellGetsEveryChosenIcon) {
  AppSettings settings;
  settings.iconShow = 0x03;
  SimulatedTray tray;
  TrayIcons icons(settings, tray, tray, SimulatedTray::kApplicationIcon);
  tray.lateAdds = 2;
  EXPECT_EQ(icons.BeginAdding(kTwoCoresAndGpu, 0), TrayIcons::Adding::kDone);
  EXPECT_EQ(icons.AddedIcons(), (std::vector<int>{1, 0}));
  EXPECT_EQ(tray.Shown().size(), 2u);

  TemperatureStats stats;
  stats.cycleCount = 1;
  TrayRefreshInput input(stats);
  input.present = kTwoCoresAndGpu;
  input.temperature = {45, 47, 0, 0, 0};
  icons.Refresh(input);
  tray.Restart();
  EXPECT_EQ(icons.OnTaskbarCreated(1000), TrayIcons::Adding::kDone);
  EXPECT_EQ(tray.Shown().at(4294).picture, "45");
  EXPECT_EQ(tray.Shown().at(4295).picture, "47");
  icons.DeleteShownIcons();
  EXPECT_TRUE(tray.Shown().empty());
  EXPECT_EQ(tray.LiveIcons(), 0u);
}

TEST(TrayIcons, TaskbarCreatedAddsTheIconsAgainWithTheirPictures) {
  TrayRig rig;
  rig.settings.iconShow = 0x03;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  rig.SetTemperatures(45, 47, 0);
  rig.Cycle();
  rig.tray.calls.clear();
  rig.tray.Restart();
  rig.icons.OnTaskbarCreated(5000);
  EXPECT_EQ(rig.tray.calls, (std::vector<std::string>{"add 4295", "add 4294"}));
  EXPECT_NE(rig.icons.Record(0).icon, SimulatedTray::kApplicationIcon);
  EXPECT_EQ(rig.icons.AddedIcons(), (std::vector<int>{1, 0}));

  // An adding run still waiting for the shell goes on at once.
  TrayRig waiting;
  waiting.tray.refuseAdds = 1;
  waiting.icons.BeginAdding(kTwoCoresAndGpu, 0);
  EXPECT_EQ(waiting.icons.OnTaskbarCreated(100), TrayIcons::Adding::kDone);
  EXPECT_EQ(waiting.icons.AddedIcons(), std::vector<int>{0});
}

TEST(TrayIcons, RedrawsAndBlinkingLeaveNoIconAlive) {
  TrayRig rig;
  rig.settings.iconShow = 0x1F;
  rig.settings.alarm = true;
  rig.settings.alarm1 = 70;
  rig.icons.BeginAdding(kTwoCoresAndGpu, 0);
  for (int i = 0; i < 5000; ++i) {
    rig.SetTemperatures(60 + i % 20, 50 + i % 7, 40 + i % 3);
    rig.input.alarmThisCycle = i % 20 >= 10;
    rig.tray.failDrawing = i % 97 == 0;
    rig.Cycle();
    ASSERT_LE(rig.tray.LiveIcons(), 3u);
  }
  EXPECT_GT(rig.tray.DestroyedIcons(), 10000);
  rig.tray.calls.clear();
  rig.icons.DeleteShownIcons();
  EXPECT_EQ(rig.tray.calls, (std::vector<std::string>{"delete 4294", "delete 4295", "delete 4296", "delete 4297",
                                                       "delete 4298"}));
  EXPECT_EQ(rig.tray.LiveIcons(), 0u);
}

}  // namespace
}  // namespace korvath
