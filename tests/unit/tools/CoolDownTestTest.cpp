#include "tools/CoolDownTest.h"

#include <gtest/gtest.h>

#include "platform/TextFormat.h"
#include "tools/SensorTestRig.h"

namespace korvath {
namespace {

using testing::SensorTestRig;

// Sampling window of Test #(row + 1), counted independently of the code.
int FirstSample(int row) { return 206 + 46 * (row - 1); }
int LastSample(int row) { return FirstSample(row) + 39; }

int WindowRow(int tick) {
  for (int row = 1; row < kCoolDownRows; ++row) {
    if (tick >= FirstSample(row) && tick <= LastSample(row)) return row;
  }
  return -1;
}

// Readings and loads that only the right ticks may see: settling and record
// ticks read 90 degrees and no load, so any tick sampled outside its window
// changes a cell.
void SetMachineForTick(SensorTestRig& rig, int tick) {
  if (tick < 200) {
    int distance = tick < 19 ? 38 - tick : 19;
    rig.SetDistances(tick == 150 ? 15 : distance, tick == 151 ? 17 : distance + 1);
    rig.SetLoad(tick >= 160 ? 60.0 : 5.0);
    return;
  }
  int row = WindowRow(tick);
  if (row < 0) {
    rig.SetDistances(90, 90);
    rig.SetLoad(0.0);
    return;
  }
  rig.SetDistances(20 + 2 * row, 21 + 2 * row);
  // Test #10 samples no load; a load counted there would show.
  rig.SetLoad(row == 9 ? 5.0 : row == 8 ? 5.0 : 10.0 * row);
}

TEST(CoolDownTest, FullRunFillsEveryRowAndEndsAtTick614) {
  SensorTestRig rig;
  rig.OpenAndStart();
  std::vector<std::string> status(kCoolDownLastTick + 1);
  for (int tick = 1; tick <= kCoolDownLastTick; ++tick) {
    SetMachineForTick(rig, tick);
    rig.test.OnTimer();
    status[tick] = rig.Status();
    if (tick == 521) {
      EXPECT_TRUE(rig.desktop.terminated.empty());
    }
    if (tick == 522) {
      EXPECT_EQ(rig.desktop.terminated, (std::vector<uint32_t>{4242}));
    }
  }
  EXPECT_FALSE(rig.test.running());
  EXPECT_EQ(rig.timer.kills, (std::vector<uintptr_t>{77}));
  EXPECT_EQ(rig.desktop.terminated.size(), 1u);
  EXPECT_TRUE(rig.desktop.messages.empty());

  EXPECT_EQ(rig.Cell(0, 0), "15.0");
  EXPECT_EQ(rig.Cell(0, 1), "17.0");
  EXPECT_EQ(rig.LoadCell(0), "60.0%");
  for (int row = 1; row < kCoolDownRows; ++row) {
    EXPECT_EQ(rig.Cell(row, 0), Format("%.1f", 20.0 + 2 * row)) << row;
    EXPECT_EQ(rig.Cell(row, 1), Format("%.1f", 21.0 + 2 * row)) << row;
    for (int core = 2; core < kCoreSlots; ++core) EXPECT_EQ(rig.Cell(row, core), "") << row;
  }
  for (int row = 1; row <= 7; ++row) EXPECT_EQ(rig.LoadCell(row), Format("%.1f%%", 10.0 * row)) << row;
  EXPECT_EQ(rig.LoadCell(8), "5.0%");
  EXPECT_EQ(rig.LoadCell(9), "Idle");

  EXPECT_EQ(status[19], "Heat Up Phase = 9%");
  EXPECT_EQ(status[199], "Heat Up Phase = 99%");
  for (int tick = 200; tick <= 205; ++tick) EXPECT_EQ(status[tick], "Cool Down Test Begins.") << tick;
  EXPECT_EQ(status[206], "Test #2 = 1");
  EXPECT_EQ(status[245], "Test #2 = 40");
  EXPECT_EQ(status[246], "Test #3 Begins.");
  EXPECT_EQ(status[476], "Test #8 Begins.");
  EXPECT_EQ(status[522], "Stopping Prime95");
  EXPECT_EQ(status[527], "Stopping Prime95");
  EXPECT_EQ(status[568], "Final Idle Test Begins");
  EXPECT_EQ(status[574], "Test #10 = 1");
  EXPECT_EQ(status[613], "Test #10 = 40");
  EXPECT_EQ(status[614], "CPU Cool Down Test Completed");

  // Start switches modulation off, each transition steps it, Prime95's stop
  // keeps 12.5 %, the idle tests run unmodulated, and the end restores it.
  EXPECT_EQ(rig.ModulationWrites(),
            (std::vector<uint64_t>{2, 30, 28, 26, 24, 22, 20, 18, 2, SensorTestRig::savedModulation}));
}

TEST(CoolDownTest, WithoutLoadFiguresTheNominalLoadsShow) {
  SensorTestRig rig;
  rig.OpenAndStart();
  rig.SetLoad(0.0);
  for (int tick = 1; tick <= kCoolDownLastTick; ++tick) rig.test.OnTimer();
  const char* expected[kCoolDownRows] = {"100.0%", "87.5%", "75.0%", "62.5%", "50.0%",
                                         "37.5%",  "25.0%", "12.5%", "0.0%",  "Idle"};
  for (int row = 0; row < kCoolDownRows; ++row) EXPECT_EQ(rig.LoadCell(row), expected[row]) << row;
  EXPECT_EQ(rig.Status(), "CPU Cool Down Test Completed");
}

TEST(CoolDownTest, HeatUpStatusWaitsForTheCoresToWarm) {
  SensorTestRig rig;
  rig.OpenAndStart();
  // Idle sum 76 over two cores: 4 degrees warmer on average is not enough.
  rig.SetDistances(34, 34);
  for (int tick = 1; tick <= 19; ++tick) {
    rig.test.OnTimer();
    EXPECT_EQ(rig.Status(), "Run Small FFTs") << tick;
  }
  rig.test.OnTimer();
  EXPECT_EQ(rig.Status(), "Heat Up Phase = 10%");

  SensorTestRig warm;
  warm.OpenAndStart();
  warm.SetDistances(33, 34);  // 9 degrees over two cores truncates to 4
  warm.test.OnTimer();
  EXPECT_EQ(warm.Status(), "Run Small FFTs");
  warm.SetDistances(33, 33);
  warm.test.OnTimer();
  warm.test.OnTimer();
  EXPECT_EQ(warm.Status(), "Heat Up Phase = 1%");
}

TEST(CoolDownTest, Prime95EndingAtTick300IsFoundAt301) {
  SensorTestRig rig;
  rig.OpenAndStart();
  for (int tick = 1; tick <= 299; ++tick) rig.test.OnTimer();
  rig.desktop.EndAllProcesses();
  rig.test.OnTimer();
  EXPECT_TRUE(rig.test.running());
  rig.test.OnTimer();
  EXPECT_FALSE(rig.test.running());
  EXPECT_EQ(rig.test.coolDown().tick(), 301);
  for (int row = 0; row < 3; ++row) EXPECT_NE(rig.Cell(row, 0), "") << row;
  for (int core = 0; core < kCoreSlots; ++core) EXPECT_EQ(rig.Cell(3, core), "");
  EXPECT_EQ(rig.Status(), "CPU Cool Down Test Stopped.");
  ASSERT_EQ(rig.desktop.messages.size(), 1u);
  EXPECT_EQ(rig.desktop.messages[0].text, "Prime 95 was Cancelled.");
  EXPECT_EQ(rig.desktop.messages[0].caption, "Error");
  EXPECT_EQ(rig.desktop.messages[0].icon, MessageBoxIcon::kError);
  EXPECT_EQ(rig.desktop.messages[0].owner, testing::FakeTimer::kWindow);  // the Sensor Test, not the main window
  // Stopped under 75 % duty: the saved value goes back, not the step's.
  EXPECT_EQ(rig.ModulationWrites().back(), SensorTestRig::savedModulation);

  // A tick that was already queued does nothing.
  rig.test.OnTimer();
  EXPECT_EQ(rig.test.coolDown().tick(), 301);
}

TEST(CoolDownTest, Prime95EndingAfterTick522HasNoEffect) {
  SensorTestRig rig;
  rig.OpenAndStart();
  for (int tick = 1; tick <= kCoolDownLastTick; ++tick) {
    if (tick == 530) rig.desktop.EndAllProcesses();
    rig.test.OnTimer();
  }
  EXPECT_TRUE(rig.desktop.messages.empty());
  EXPECT_EQ(rig.Status(), "CPU Cool Down Test Completed");
}

TEST(CoolDownTest, Prime95GoneAtTheFirstTickMayAlreadyBeOpen) {
  SensorTestRig rig;
  rig.OpenAndStart();
  rig.desktop.EndAllProcesses();
  rig.test.OnTimer();
  EXPECT_FALSE(rig.test.running());
  EXPECT_EQ(rig.Status(), "CPU Cool Down Test Stopped.");
  ASSERT_EQ(rig.desktop.messages.size(), 1u);
  EXPECT_EQ(rig.desktop.messages[0].text,
            "Prime 95 may already be open.\n\nExit Prime 95 before starting the\nCPU Cool Down Test.");
  EXPECT_EQ(rig.desktop.messages[0].buttons, MessageBoxButtons::kOk);
}

TEST(CoolDownTest, SecondRunKeepsTheLowerMinimumAndItsOwnLoad) {
  SensorTestRig rig;
  rig.OpenAndStart();
  rig.SetDistances(20, 22);
  rig.SetLoad(100.0);
  for (int tick = 1; tick <= 180; ++tick) rig.test.OnTimer();
  rig.test.OnStop();
  EXPECT_EQ(rig.Status(), "CPU Cool Down Test Stopped.");

  rig.test.OnStart();
  rig.SetDistances(25, 21);
  rig.SetLoad(50.0);
  for (int tick = 1; tick <= 200; ++tick) rig.test.OnTimer();
  EXPECT_EQ(rig.Cell(0, 0), "20.0");
  EXPECT_EQ(rig.Cell(0, 1), "21.0");
  // Only the second run's 40 samples count.
  EXPECT_EQ(rig.LoadCell(0), "50.0%");
}

}  // namespace
}  // namespace korvath
