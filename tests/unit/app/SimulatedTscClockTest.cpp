#include "app/SimulatedTscClock.h"

#include <gtest/gtest.h>

#include "TestMachines.h"

namespace korvath {
namespace {

TEST(SimulatedTscClock, MeasuresOnlyWhatTheRunsTimeAllows) {
  MachineDescription machine = testing::ParseMachine("[system]\naffinity = 0x3\ntsc_mhz = 2133\n");
  SimulatedClock runClock;
  runClock.AdvanceMilliseconds(2000);
  SimulatedTscClock tscClock(machine, runClock);
  tscClock.CatchUp();  // not started: nothing measured
  EXPECT_EQ(tscClock.measurements().tscMhz.load(), 0.0);

  tscClock.Start();
  EXPECT_NEAR(tscClock.measurements().tscMhz.load(), 2133.0, 0.01);
  EXPECT_EQ(tscClock.measurements().tscPerQpcTick.load(), 0.0);
  // The first pass ends 1 + 5 + 377 ms after the start.
  runClock.AdvanceMilliseconds(382);
  tscClock.CatchUp();
  EXPECT_EQ(tscClock.measurements().tscPerQpcTick.load(), 0.0);
  runClock.AdvanceMilliseconds(1);
  tscClock.CatchUp();
  EXPECT_NEAR(tscClock.measurements().tscPerQpcTick.load(), 213.3, 1e-9);
  EXPECT_EQ(runClock.NowMicroseconds(), 2'383'000) << "the run's own clock is left alone";
}

}  // namespace
}  // namespace korvath
