#include "monitor/AlarmMonitor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sim/SimulatedDesktop.h"

namespace korvath {
namespace {

struct AlarmRig {
  AlarmRig() {
    settings.alarm = true;
    settings.alarm1 = 80;
    settings.alarm2 = 90;
    desktop.shellFinds = true;
  }
  // One cycle's alarm part: the CPU checks, the GPU check, the actions.
  void Cycle(std::initializer_list<int> cores, int gpu = 0) {
    ++cycleCount;
    alarms.BeginCycle();
    for (int t : cores) alarms.CheckCpu(t);
    alarms.CheckGpu(gpu);
    alarms.RunActions(cycleCount);
  }
  AppSettings settings;
  SimulatedDesktop desktop;
  int flashes = 0;
  AlarmMonitor alarms{settings, desktop, [this] { ++flashes; }};
  uint64_t cycleCount = 0;
};

TEST(AlarmMonitor, ThresholdsAreReachedAtEquality) {
  AlarmRig rig;
  rig.Cycle({79, 60}, 89);
  EXPECT_FALSE(rig.alarms.AlarmThisCycle());
  rig.Cycle({60, 80}, 0);
  EXPECT_TRUE(rig.alarms.AlarmThisCycle());
  rig.Cycle({60}, 90);
  EXPECT_TRUE(rig.alarms.AlarmThisCycle());
  rig.Cycle({60}, 0);
  EXPECT_FALSE(rig.alarms.AlarmThisCycle()) << "the flag must be cleared every cycle";
  EXPECT_EQ(rig.flashes, 2);

  rig.settings.alarm = false;
  rig.Cycle({120}, 120);
  EXPECT_FALSE(rig.alarms.AlarmThisCycle());
}

TEST(AlarmMonitor, SoundPlaysOnMultiplesOfSixOnly) {
  AlarmRig rig;
  rig.Cycle({50});
  rig.Cycle({50});
  for (int i = 0; i < 10; ++i) rig.Cycle({85});  // cycles 3 to 12
  EXPECT_EQ(rig.desktop.Events(), (std::vector<std::string>{"sound KVWarning.wav", "sound KVWarning.wav"}));
  EXPECT_EQ(rig.flashes, 10);
}

TEST(AlarmMonitor, AlarmFileOpensOncePerArming) {
  AlarmRig rig;
  rig.settings.alarm1 = 0;  // every cycle alarms
  rig.settings.alarmFile = "C:\\alarm.bat";
  for (int i = 0; i < 5; ++i) rig.Cycle({30});
  EXPECT_EQ(rig.desktop.Count("open "), 1);
  rig.alarms.Rearm();
  rig.Cycle({30});
  EXPECT_EQ(rig.desktop.Count("open "), 2);
  EXPECT_EQ(rig.desktop.Count("box "), 0);
}

TEST(AlarmMonitor, AlarmFileIsOpenedExactlyAsChosen) {
  // A path with spaces, quotes and what looks like arguments is one target
  // for the shell: nothing is split off, searched for or put in front.
  for (const char* file : {"C:\\My Tools\\alarm.bat", "\"C:\\a.exe\" /c del *", "alarm & calc.exe"}) {
    AlarmRig rig;
    rig.settings.alarm1 = 0;
    rig.settings.alarmFile = file;
    rig.Cycle({30});
    EXPECT_EQ(rig.desktop.Count("open "), 1);
    EXPECT_EQ(std::count(rig.desktop.Events().begin(), rig.desktop.Events().end(), std::string("open ") + file), 1)
        << file;
  }
}

TEST(AlarmMonitor, EmptyAlarmFileStillUsesTheArming) {
  AlarmRig rig;
  rig.Cycle({85});
  EXPECT_TRUE(rig.alarms.AlarmProgramStarted());
  rig.settings.alarmFile = "C:\\alarm.bat";
  rig.Cycle({85});
  EXPECT_EQ(rig.desktop.Count("open "), 0);
}

TEST(AlarmMonitor, MissingFileReportedOnceWhileNestedCyclesRun) {
  AlarmRig rig;
  rig.settings.alarmFile = "C:\\gone.exe";
  rig.desktop.shellFinds = false;
  // While the box is up the window's timer keeps running cycles inside it.
  rig.desktop.whileOpen = [&rig] {
    for (int i = 0; i < 7; ++i) rig.Cycle({85});
  };
  rig.Cycle({85});
  EXPECT_EQ(rig.desktop.Count("open "), 1);
  EXPECT_EQ(rig.desktop.Count("box "), 1);
  EXPECT_EQ(rig.desktop.Events().front(), "open C:\\gone.exe");
  EXPECT_EQ(rig.desktop.Events()[1], "box Error: Alarm file not found.\n\nC:\\gone.exe   ");
  EXPECT_EQ(rig.desktop.messages.back().icon, MessageBoxIcon::kError);
  // Nested cycle 6 played; the interrupted cycle 1 does not play on resuming.
  EXPECT_EQ(rig.desktop.Count("sound "), 1);
  EXPECT_EQ(rig.flashes, 8);

  rig.desktop.whileOpen = nullptr;
  rig.alarms.Rearm();
  rig.Cycle({85});
  EXPECT_EQ(rig.desktop.Count("box "), 2);
}

}  // namespace
}  // namespace korvath
