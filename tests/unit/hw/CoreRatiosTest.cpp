#include "hw/CoreRatios.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "hw/ClockDisplay.h"
#include "monitor/ClockTexts.h"
#include "hw/MsrAccess.h"
#include "hw/NominalMultiplier.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

struct Rig {
  explicit Rig(const std::string& machineText)
      : processor(testing::ParseMachine(machineText), &clock, CallRecord::kOn),
        cpu(CreateCpuInfo(processor)),
        access(processor, cpu) {}
  SimulatedClock clock;
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
};

constexpr uint64_t kThreshold = 255ull << 32;

TEST(NominalMultiplier, CoreI7FromPlatformInfoOthersFromPerfStatusWithHalfStep) {
  struct Case {
    const char* cpuid1;
    const char* msr;
    double expected;
  } cases[] = {
      {"0x106A5", "0xCE = 0xFFFF14FF\n0x198 = 0x0000090000000900", 20.0},  // bits 15-8 only
      {"0x1067A", "0xCE = 0x1400\n0x198 = 0x0000492000000000", 9.5},     // bit 46: half step
      {"0x1067A", "0x198 = 0x0000BF0000000000", 31.0},                    // bits 44-40 only
      {"0x1067A", "", 1.0},                                               // never below 1.0
  };
  for (const Case& c : cases) {
    Rig rig(std::string("[cpuid]\n0x1 = ") + c.cpuid1 + " 0 0 0\n[msr]\n" + c.msr + "\n");
    rig.cpu.signature = static_cast<int>(std::stoul(c.cpuid1, nullptr, 16));
    EXPECT_DOUBLE_EQ(DetermineMaxMultiplier(rig.access), c.expected) << c.msr;
    EXPECT_DOUBLE_EQ(rig.cpu.maxMultiplier, c.expected);
  }
}

TEST(CoreRatios, LoadAndRatioFromTheFixedCounters) {
  Rig rig("[system]\naffinity = 0x3\ntsc_mhz = 3000\n"
          "[counters]\nload = 50\nratio = 1.0\n[counters.cpu1]\nload = 100\nratio = 0.5\n");
  TakeCounterBaselines(rig.access);
  EXPECT_EQ(rig.cpu.coreCount, 2);
  EXPECT_EQ(rig.cpu.countersEnabled, 1) << "the counters start switched off";
  rig.clock.AdvanceMilliseconds(1000);
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), 0.75);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[0], 50.0);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[1], 100.0);
  EXPECT_EQ(rig.cpu.core0ClockDelta, 1'500'000'000u);
}

// The read-only driver measures through MPERF and APERF, which nobody
// switches on or resets: the same activity gives the same figures.
TEST(CoreRatios, MperfAndAperfGiveTheFixedCountersFigures) {
  const std::string machine =
      "[system]\naffinity = 0x3\ntsc_mhz = 3000\n[msr]\n0xE7 = 0x0000010000000000\n"
      "[counters]\nload = 50\nratio = 1.0\n[counters.cpu1]\nload = 100\nratio = 0.5\n";
  Rig fixed(machine);
  Rig readOnly(machine + "[driver]\nstatus = 2\nread_only_driver = 1\n");
  ASSERT_FALSE(readOnly.access.Open().has_value());
  for (Rig* rig : {&fixed, &readOnly}) TakeCounterBaselines(rig->access);
  for (int second = 0; second < 3; ++second) {
    fixed.clock.AdvanceMilliseconds(1000);
    readOnly.clock.AdvanceMilliseconds(1000);
    EXPECT_DOUBLE_EQ(MeasureCoreRatios(readOnly.access), MeasureCoreRatios(fixed.access));
    for (int cpu = 0; cpu < 2; ++cpu) EXPECT_DOUBLE_EQ(readOnly.cpu.coreLoad[cpu], fixed.cpu.coreLoad[cpu]);
    EXPECT_EQ(readOnly.cpu.core0ClockDelta, fixed.cpu.core0ClockDelta);
  }
  EXPECT_DOUBLE_EQ(readOnly.cpu.coreLoad[1], 100.0);
  // MPERF stood above the fixed counters' reset threshold all along.
  EXPECT_GT(readOnly.processor.PeekMsr(0, kMsrMperf), 0x0000010000000000ull);
  for (const ProcessorEvent& event : readOnly.processor.Events()) {
    EXPECT_NE(event.kind, ProcessorEvent::Kind::kWriteMsr) << event.ToString();
    if (event.kind == ProcessorEvent::Kind::kReadMsr) {
      EXPECT_TRUE(event.index == kMsrMperf || event.index == kMsrAperf) << event.ToString();
    }
  }
}

// An older read-only module refuses MPERF and APERF: the load is not there,
// rather than 0 %, and says so for the About box; a read that fails now and
// then is no such refusal.
TEST(CoreRatios, ARefusingReadOnlyModuleLeavesNoLoad) {
  const std::string machine = "[system]\naffinity = 0x3\n[counters]\nload = 50\n[driver]\nstatus = 2\n"
                              "read_only_driver = 1\n";
  Rig old(machine + "read_only_counters = 0\n");
  Rig flaky(machine + "read_fails_every = 3\n");
  for (Rig* rig : {&old, &flaky}) {
    ASSERT_FALSE(rig->access.Open().has_value());
    TakeCounterBaselines(rig->access);
    rig->clock.AdvanceMilliseconds(1000);
    MeasureCoreRatios(rig->access);
  }
  EXPECT_TRUE(old.cpu.loadUnavailable);
  EXPECT_EQ(LoadText(old.cpu), "");
  EXPECT_FALSE(flaky.cpu.loadUnavailable);
}

TEST(CoreRatios, EachProcessorsCountersAreReadTogetherRightAfterThePin) {
  Rig rig("[system]\naffinity = 0x5\n");
  TakeCounterBaselines(rig.access);
  rig.processor.ClearEvents();
  MeasureCoreRatios(rig.access);
  std::vector<std::string> events = rig.processor.EventStrings();
  events.resize(11);
  EXPECT_EQ(events, (std::vector<std::string>{"thread-affinity 0x1", "yield", "read cpu0 0x30B", "read cpu0 0x30A",
                                              "rdtsc cpu0", "thread-affinity 0x4", "yield", "read cpu2 0x30B",
                                              "read cpu2 0x30A", "rdtsc cpu2", "thread-affinity 0x5"}));
}

TEST(CoreRatios, StoppedOrResetCountersGiveNoImpossibleFigures) {
  Rig rig("[system]\naffinity = 0x3\n[counters]\nload = 50\n[counters.cpu1]\nload = 0\n");
  rig.processor.SetActivity(0, {50, 2.0, std::nullopt});
  TakeCounterBaselines(rig.access);
  rig.clock.AdvanceMilliseconds(1000);
  // cpu1's counters stand still: it adds 1.0, not 0, to the ratio.
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), (2.0 + 1.0) / 2);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[1], 0.0);

  // No time between two measurements: the loads stand as they were.
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), 1.0);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[0], 50.0);

  // Someone else zeroes the counters: the load is 0, not negative.
  rig.processor.PokeMsr(0, kMsrFixedCtr1, 0);
  rig.processor.PokeMsr(0, kMsrFixedCtr2, 0);
  rig.clock.AdvanceMilliseconds(10);
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), 1.0);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[0], 0.0);
}

TEST(CoreRatios, CountersAbove255TimesTwoTo32AreZeroedAfterTheirDifference) {
  Rig rig("[system]\naffinity = 0x3\n[counters]\nload = 50\n"
          "[msr]\n0x30A = 0xFF00000000\n0x30B = 0xFF00000000\n[counters.cpu1]\nload = 0\n");
  TakeCounterBaselines(rig.access);
  rig.clock.AdvanceMilliseconds(1000);
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), 1.0);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[0], 50.0);
  EXPECT_EQ(rig.cpu.core0ClockDelta, 1'500'000'000u);
  EXPECT_EQ(rig.cpu.lastCoreClocks[0], 0u);
  EXPECT_EQ(rig.cpu.lastRefClocks[0], 0u);
  EXPECT_LT(rig.processor.PeekMsr(0, kMsrFixedCtr1), kThreshold);
  // Exactly at the threshold is not above it.
  EXPECT_EQ(rig.processor.PeekMsr(1, kMsrFixedCtr1), kThreshold);
  EXPECT_EQ(rig.cpu.lastCoreClocks[1], kThreshold);

  rig.clock.AdvanceMilliseconds(1000);
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), 1.0);
  EXPECT_EQ(rig.cpu.core0ClockDelta, 1'500'000'000u) << "counts from 0";
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[0], 50.0);
}

TEST(CoreRatios, CountersSwitchedOffElsewhereAreSwitchedOnAgain) {
  Rig rig("[system]\naffinity = 0x1\n[counters]\nload = 80\nratio = 1.25\n");
  TakeCounterBaselines(rig.access);
  rig.processor.PokeMsr(0, kMsrFixedCtrCtrl, 0);
  rig.clock.AdvanceMilliseconds(1000);
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), 1.0);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[0], 0.0);
  EXPECT_EQ(rig.processor.PeekMsr(0, kMsrFixedCtrCtrl), kFixedCounterEnableBits);
  rig.clock.AdvanceMilliseconds(1000);
  EXPECT_DOUBLE_EQ(MeasureCoreRatios(rig.access), 1.25);
  EXPECT_DOUBLE_EQ(rig.cpu.coreLoad[0], 80.0);
}

TEST(CoreRatios, AverageOutside0Point2To2Point5CountsAsNominal) {
  struct Case {
    double ratio;
    double expected;
  } cases[] = {{2.5, 2.5}, {2.6, 1.0}, {0.2, 0.2}, {0.1, 1.0}};
  for (const Case& c : cases) {
    Rig rig("[system]\naffinity = 0x1\n[counters]\nload = 100\n");
    rig.processor.SetActivity(0, {100, c.ratio, std::nullopt});
    TakeCounterBaselines(rig.access);
    rig.clock.AdvanceMilliseconds(1000);
    EXPECT_NEAR(MeasureCoreRatios(rig.access), c.expected, 1e-9) << c.ratio;
  }
}

}  // namespace
}  // namespace korvath
