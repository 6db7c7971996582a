#include "hw/ClockDisplay.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "hw/CoreRatios.h"
#include "hw/MsrAccess.h"
#include "hw/NominalMultiplier.h"
#include "hw/ProcessorSupport.h"
#include "monitor/ClockTexts.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"
#include "resources/resource.h"
#include "ui/DisplayTexts.h"

namespace korvath {
namespace {

struct Rig {
  explicit Rig(const std::string& machineText, int signature = 0x1067A)
      : processor(testing::ParseMachine(machineText), &clock, CallRecord::kOn),
        cpu(CreateCpuInfo(processor)),
        access(processor, cpu) {
    cpu.signature = signature;
    cpu.newerProcessor = IsNewerProcessor(SignatureFamily(signature), DisplayModel(signature), false);
    DetermineMaxMultiplier(access);
    TakeCounterBaselines(access);
    clock.AdvanceMilliseconds(1000);
  }
  SimulatedClock clock;
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
};

TEST(ClockDisplay, CoreI7ScalesTheNominalMultiplierToAHalfStepOfAtLeast12) {
  struct Case {
    double ratio;
    double expected;
  } cases[] = {
      {1.0, 20.0},
      {0.575, 12.0},  // 11.5 is shown as 12.0
      {0.6, 12.0},
      {0.74, 15.0},   // 14.8 to the nearest half step
      {1.1, 22.0},
      {3.0, 20.0},    // outside 0.2..2.5: nominal
  };
  for (const Case& c : cases) {
    Rig rig("[system]\naffinity = 0x1\n[msr]\n0xCE = 0x1400\n[counters]\nload = 100\n", 0x106A5);
    rig.processor.SetActivity(0, {100, c.ratio, std::nullopt});
    TakeCounterBaselines(rig.access);
    rig.clock.AdvanceMilliseconds(1000);
    EXPECT_DOUBLE_EQ(CurrentMultiplier(rig.access, MeasureCoreRatios(rig.access)).value_or(-1), c.expected) << c.ratio;
  }
}

TEST(ClockDisplay, OtherProcessorsAverageTheBusRatioByProcessorCount) {
  struct Case {
    const char* affinity;
    const char* ratios;  // [counters.cpuN] sections
    double expected;
  } cases[] = {
      {"0x3", "[counters.cpu0]\nbus_ratio = 9\n[counters.cpu1]\nbus_ratio = 9.5\n", 9.5},
      {"0xF", "[counters]\nbus_ratio = 9\n[counters.cpu3]\nbus_ratio = 9.5\n", 9.0},
      {"0xF", "[counters]\nbus_ratio = 9.5\n", 9.5},
      {"0x1", "[counters]\nbus_ratio = 7.5\n", 7.5},
      {"0x1", "[counters]\nbus_ratio = 5.5\n", 6.0},  // at least 6
      // Eight processors: only 0-3 are read and the last one counts.
      {"0xFF", "[counters]\nbus_ratio = 8\n[counters.cpu3]\nbus_ratio = 10\n", 10.0},
      // Four processors, two of them beyond 0-3: no average of half the readings.
      {"0x33", "[counters]\nbus_ratio = 9\n", 9.0},
  };
  for (const Case& c : cases) {
    Rig rig(std::string("[system]\naffinity = ") + c.affinity + "\n" + c.ratios);
    EXPECT_DOUBLE_EQ(CurrentMultiplier(rig.access, 1.0).value_or(-1), c.expected) << c.affinity << "\n" << c.ratios;
    EXPECT_EQ(rig.processor.ProcessMask(), rig.cpu.systemAffinityMask);
    EXPECT_EQ(rig.processor.ThreadMask(), rig.cpu.systemAffinityMask);
  }
}

// Newer processors: their own nominal ratio from 0xCE and the counters'
// ratio, to the nearest half, at least the lowest ratio 0xCE gives; the bus
// is whatever the time-stamp counter over the nominal ratio comes to.
TEST(ClockDisplay, NewerProcessorsScaleTheirOwnNominalMultiplier) {
  struct Case {
    int signature;
    const char* platformInfo;
    double tscMhz;
    double ratio;
    const char* clock;
    const char* busMultiplier;
  } cases[] = {
      {0x906EA, "0x2500", 3700, 8.0 / 37, "800.00 MHz", "100.00 x 8.0"},        // i7-8700K idling
      {0x906EA, "0x2500", 3700, 8.2 / 37, "800.00 MHz", "100.00 x 8.0"},        // to the nearest half
      {0x906EA, "0x2500", 3700, 8.3 / 37, "850.00 MHz", "100.00 x 8.5"},
      {0x906EA, "0x0000080000002500", 3700, 4.0 / 37, "800.00 MHz", "100.00 x 8.0"},  // the lowest ratio
      {0x106E5, "0x1400", 2666.67, 1.0, "2666.67 MHz", "133.33 x 20.0"},       // Lynnfield's bus
      {0xB06E0, "0x0000070000000800", 800, 34.0 / 8, "3400.00 MHz", "100.00 x 34.0"},  // N100 in turbo
      {0x106E5, "0x0000", 2666.67, 1.0, "", ""},                                 // no nominal ratio
  };
  for (const Case& c : cases) {
    Rig rig(std::string("[system]\naffinity = 0x3\n[msr]\n0xCE = ") + c.platformInfo +
                "\n0x2A = 0x02400000\n[counters]\nload = 100\n",
            c.signature);
    for (int cpu = 0; cpu < 2; ++cpu) rig.processor.SetActivity(cpu, {100, c.ratio, std::nullopt});
    TakeCounterBaselines(rig.access);
    DisplayTexts texts;
    for (uint64_t cycle = 1; cycle <= 2; ++cycle) {
      rig.clock.AdvanceMilliseconds(1000);
      UpdateClockTexts(rig.access, c.tscMhz, cycle, texts);
    }
    EXPECT_EQ(texts.Get(IDC_CLOCK_SPEED), c.clock) << c.ratio;
    EXPECT_EQ(texts.Get(IDC_BUS_MULTIPLIER), c.busMultiplier) << c.ratio;
    for (const ProcessorEvent& event : rig.processor.Events()) {
      EXPECT_FALSE(event.kind == ProcessorEvent::Kind::kReadMsr && event.index == kMsrEblCrPowerOn);
    }
  }
}

// A start-up read of the nominal multiplier that fails leaves no multiplier
// to divide by: the clock texts stay empty for the run, on every processor.
TEST(ClockDisplay, AFailedNominalMultiplierReadShowsNoClock) {
  const std::string machine =
      "[system]\naffinity = 0x1\n[msr]\n0xCE = 0x1400\n0x198 = 0x0000092000000000\n"
      "[counters]\nload = 50\nbus_ratio = 9\n";
  for (int signature : {0x1067A, 0x106A5, 0x906EA}) {
    Rig rig(machine, signature);
    SimulatedProcessor refusing(testing::ParseMachine(machine + "[driver]\nread_fails_every = 1\n"));
    MsrAccess refusingAccess(refusing, rig.cpu);
    EXPECT_EQ(DetermineMaxMultiplier(refusingAccess), 0.0) << signature;
    DisplayTexts texts;
    for (uint64_t cycle = 1; cycle <= 2; ++cycle) {
      rig.clock.AdvanceMilliseconds(1000);
      UpdateClockTexts(rig.access, 3000.0, cycle, texts);
    }
    EXPECT_FALSE(texts.Has(IDC_CLOCK_SPEED)) << signature;
    EXPECT_FALSE(texts.Has(IDC_BUS_MULTIPLIER)) << signature;
    EXPECT_EQ(texts.Get(IDC_LOAD), "Load  50.0%");
  }
}

TEST(ClockDisplay, ElapsedTimeCountsFromTheFirstCycleAndPastADay) {
  EXPECT_EQ(ElapsedTimeText(1), "0:00:00");
  EXPECT_EQ(ElapsedTimeText(62), "0:01:01");
  EXPECT_EQ(ElapsedTimeText(3910), "1:05:09");
  EXPECT_EQ(ElapsedTimeText(86401), "24:00:00");
  EXPECT_EQ(ElapsedTimeText(100 * 3600 + 600 + 11), "100:10:10");
  // Only the low 32 bits of the cycle count are used.
  EXPECT_EQ(ElapsedTimeText((1ull << 32) + 62), "0:01:01");
}

TEST(ClockDisplay, SetsTheFourControlsWithTheirFormats) {
  Rig rig("[system]\naffinity = 0x3\n[msr]\n0x198 = 0x0000092000000000\n"
          "[counters]\nload = 40\nbus_ratio = 6\n[counters.cpu1]\nload = 15\n");
  DisplayTexts texts;
  // No frequency yet: the clock and bus speed stay empty.
  UpdateClockTexts(rig.access, 0.0, 1, texts);
  EXPECT_EQ(texts.Has(IDC_CLOCK_SPEED), false);
  EXPECT_EQ(texts.Has(IDC_BUS_MULTIPLIER), false);
  EXPECT_EQ(texts.Get(IDC_ELAPSED_TIME), "0:00:00");
  EXPECT_EQ(texts.Get(IDC_LOAD), "Load  27.5%");

  rig.clock.AdvanceMilliseconds(1000);
  UpdateClockTexts(rig.access, 2997.0, 2, texts);
  EXPECT_EQ(texts.Get(IDC_CLOCK_SPEED), "1998.00 MHz");  // 2997 * 6 / 9
  EXPECT_EQ(texts.Get(IDC_BUS_MULTIPLIER), "333.00 x 6.0");
  EXPECT_EQ(texts.Get(IDC_ELAPSED_TIME), "0:00:01");

  // A frequency below 1 MHz keeps the previous texts.
  UpdateClockTexts(rig.access, 0.5, 3, texts);
  EXPECT_EQ(texts.Get(IDC_CLOCK_SPEED), "1998.00 MHz");
}

TEST(ClockDisplay, LoadAveragesOverTheProcessorCount) {
  CpuInfo cpu;
  cpu.coreCount = 0;
  EXPECT_EQ(LoadText(cpu), "Load   0.0%");
  cpu.coreCount = 3;
  cpu.coreLoad[0] = 100;
  cpu.coreLoad[3] = 100;
  cpu.coreLoad[7] = 100;
  EXPECT_EQ(LoadText(cpu), "Load 100.0%");
}

}  // namespace
}  // namespace korvath
