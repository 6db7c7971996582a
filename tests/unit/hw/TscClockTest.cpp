#include "hw/TscClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestMachines.h"
#include "hw/TscClockRunner.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

// One pass: 1 ms, 125 ms, 1 ms, 250 ms of sleeping.
constexpr int64_t kPassMicroseconds = 377'000;

struct Rig {
  // busyLoopMicroseconds: how much simulated time the start-up busy loop takes.
  explicit Rig(double tscMhz, int64_t busyLoopMicroseconds = 0)
      : processor(testing::ParseMachine("[system]\naffinity = 0x3\ntsc_mhz = " + std::to_string(tscMhz) + "\n"),
                  &clock, CallRecord::kOn),
        thread(processor, clock, published,
               [this, busyLoopMicroseconds] { clock.AdvanceMicroseconds(busyLoopMicroseconds); }) {}
  SimulatedClock clock;
  SimulatedProcessor processor;
  TscMeasurements published;
  TscClockThread thread;
};

TEST(TscClock, PublishesTheFrequencyOnceTheEightSamplesAgree) {
  // The busy loop takes no simulated time: there is no first figure, so the
  // history starts at 0 and only the eighth pass replaces its last zero.
  Rig rig(2992.5);
  rig.thread.Start();
  EXPECT_EQ(rig.published.tscMhz.load(), 0.0);
  for (int pass = 1; pass < 8; ++pass) rig.thread.RunPass();
  EXPECT_EQ(rig.published.tscMhz.load(), 0.0);
  rig.thread.RunPass();
  EXPECT_NEAR(rig.published.tscMhz.load(), 2992.5, 0.5);
  EXPECT_NEAR(rig.published.tscPerQpcTick.load(), 2992.5e6 / SimulatedClock::kPerformanceFrequency, 1e-9);
}

TEST(TscClock, BusyLoopGivesTheFirstFigureAtOnce) {
  Rig rig(1866.0, 2500);
  rig.thread.Start();
  EXPECT_NEAR(rig.published.tscMhz.load(), 1866.0, 0.001);
  rig.thread.RunPass();
  EXPECT_NEAR(rig.published.tscMhz.load(), 1866.0, 0.5);
}

TEST(TscClock, PinsItsOwnThreadNeverTheProcess) {
  Rig rig(3000);
  rig.thread.Run(2);
  std::vector<std::string> events = rig.processor.EventStrings();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0], "thread-affinity 0x1");
  EXPECT_EQ(events[1], "yield");
  for (const std::string& event : events) EXPECT_EQ(event.find("process-affinity"), std::string::npos) << event;
  EXPECT_EQ(rig.processor.ProcessMask(), 0x3u);
}

TEST(TscClock, DisturbedPassDoesNotReachTheDisplay) {
  Rig rig(3000);
  rig.thread.Run(8);
  ASSERT_NEAR(rig.published.tscMhz.load(), 3000.0, 0.5);
  double before = rig.published.tscMhz.load();

  // The performance counter runs 0.03 % slow over the next pass's 250 ms
  // interval: 0.9 MHz off, too little for the cross-check to catch, but the
  // sample disagrees with the others by more than 500 kHz.
  int64_t passStart = rig.clock.NowMicroseconds();
  rig.clock.SkewPerformanceCounterBetween(passStart + 377'000, passStart + 378'000, -750);
  rig.thread.RunPass();
  EXPECT_EQ(rig.published.tscMhz.load(), before);
  EXPECT_GT(rig.published.tscPerQpcTick.load(), 300.0) << "the raw ratio is published as measured";
  for (int pass = 1; pass < 8; ++pass) {
    rig.thread.RunPass();
    EXPECT_EQ(rig.published.tscMhz.load(), before) << "pass " << pass;
  }
  rig.thread.RunPass();  // the disturbed sample has left the history
  EXPECT_NEAR(rig.published.tscMhz.load(), 3000.0, 0.5);

  // A far larger skew is caught by the cross-check: the sleep-based rate
  // replaces the estimate and the display keeps agreeing.
  passStart = rig.clock.NowMicroseconds();
  rig.clock.SkewPerformanceCounterBetween(passStart + 377'000, passStart + 378'000, 250'000);
  rig.thread.RunPass();
  EXPECT_NEAR(rig.published.tscMhz.load(), 3000.0, 0.5);
  EXPECT_EQ(rig.thread.HistoryAverageKhz(), 3'000'000);
}

TEST(TscClock, CrossCheckPrefersAgreeingSleepRatesOverAFarEstimate) {
  struct Case {
    int64_t rate125, rate250, estimate, expected;
  } cases[] = {
      {3'000'000, 3'000'000, 2'998'000, 3'000'000},  // 2 MHz away: sleep rate wins
      {3'000'000, 3'000'000, 2'998'001, 2'998'001},  // 1.999 MHz away: estimate stays
      {3'000'000, 3'000'000, 3'100'000, 3'000'000},
      {3'000'000, 3'008'990, 2'000'000, 3'008'990},  // q = 1002
      {3'000'000, 3'009'000, 2'000'000, 2'000'000},  // q = 1003: not strictly inside
      {3'000'000, 2'991'000, 2'000'000, 2'000'000},  // q = 997
      {3'000'000, 2'994'000, 2'000'000, 2'994'000},  // q = 998
      {0, 3'000'000, 2'000'000, 2'000'000},          // no rate to compare with
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CrossCheckEstimate(c.rate125, c.rate250, c.estimate), c.expected)
        << c.rate125 << " " << c.rate250 << " " << c.estimate;
  }
}

TEST(TscClock, StandingPerformanceCounterDropsThePass) {
  Rig rig(3000);
  rig.thread.Run(8);
  double before = rig.published.tscPerQpcTick.load();
  int64_t average = rig.thread.HistoryAverageKhz();
  // Every reading of the next pass's 250 ms interval returns the same count.
  int64_t passStart = rig.clock.NowMicroseconds();
  rig.clock.SkewPerformanceCounterBetween(passStart + 377'000, passStart + 378'000, -2'500'000);
  rig.thread.RunPass();
  EXPECT_EQ(rig.published.tscPerQpcTick.load(), before);
  EXPECT_EQ(rig.thread.HistoryAverageKhz(), average);
}

TEST(TscClockRunner, RunsOnItsOwnThreadUntilStopped) {
  Rig rig(2400);
  std::atomic<bool> prologueRan{false};
  TscClockRunner runner(rig.thread, [&] { prologueRan = true; });
  runner.Start();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  // Polls without sleeping: every simulated pass is recorded, so the runner
  // should not spin on for long after the figure appears.
  while (rig.published.tscMhz.load() == 0.0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  runner.Stop();
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_TRUE(prologueRan);
  EXPECT_NEAR(rig.published.tscMhz.load(), 2400.0, 0.5);
  // Stopped means stopped: the simulated time no longer moves.
  int64_t stoppedAt = rig.clock.NowMicroseconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(rig.clock.NowMicroseconds(), stoppedAt);
  EXPECT_GE(stoppedAt, 8 * kPassMicroseconds);
}

}  // namespace
}  // namespace korvath
