#include "platform/sim/SimulatedProcessor.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "platform/sim/SimulatedClock.h"

namespace korvath {
namespace {

TEST(SimulatedProcessor, RegistersFollowTheThreadsProcessor) {
  SimulatedProcessor cpu(testing::ParseMachine(
      "[system]\naffinity = 0x3\n[msr]\n0x19C = 0x88270000\n[msr.cpu1]\n0x19C = 0x88260000\n"),
      nullptr, CallRecord::kOn);
  uint32_t low = 0;
  uint32_t high = 1;
  EXPECT_TRUE(cpu.ReadMsr(0x19C, &low, &high));
  EXPECT_EQ(low, 0x88270000u);
  EXPECT_EQ(high, 0u);
  cpu.SetThreadAffinity(0x2);
  cpu.ReadMsr(0x19C, &low, &high);
  EXPECT_EQ(low, 0x88260000u);
  cpu.WriteMsr(0x19A, 0x12, 0);
  EXPECT_EQ(cpu.PeekMsr(1, 0x19A), 0x12u);
  EXPECT_EQ(cpu.PeekMsr(0, 0x19A), 0u);
  EXPECT_TRUE(cpu.ReadMsr(0x999, &low, &high));  // a register the file does not name reads as 0
  EXPECT_EQ(low, 0u);
  EXPECT_EQ(cpu.EventStrings(),
            (std::vector<std::string>{"read cpu0 0x19C", "thread-affinity 0x2", "read cpu1 0x19C",
                                      "write cpu1 0x19A 0x12", "read cpu1 0x999"}));
}

TEST(SimulatedProcessor, EveryNthReadFailsWithZerosAndSaysSo) {
  SimulatedProcessor cpu(testing::ParseMachine("[driver]\nread_fails_every = 3\n[msr]\n0x19C = 0x88270000\n"));
  std::vector<bool> results;
  for (int read = 0; read < 6; ++read) {
    uint32_t low = 1;
    uint32_t high = 1;
    bool ok = cpu.ReadMsr(0x19C, &low, &high);
    results.push_back(ok);
    EXPECT_EQ(low, ok ? 0x88270000u : 0u);
    EXPECT_EQ(high, 0u);
  }
  EXPECT_EQ(results, (std::vector<bool>{true, true, false, true, true, false}));
}

TEST(SimulatedProcessor, AffinityOutsideTheSystemMaskIsRefused) {
  SimulatedProcessor cpu(testing::ParseMachine("[system]\naffinity = 0x3\nprocess_affinity = 0x1\n"));
  cpu.SetThreadAffinity(0x2);  // outside the process mask: refused like Windows
  EXPECT_EQ(cpu.CurrentCpu(), 0);
  cpu.SetProcessAffinity(0x4);
  EXPECT_EQ(cpu.ProcessMask(), 0x1u);
  cpu.SetProcessAffinity(0x3);
  cpu.SetThreadAffinity(0x2);
  EXPECT_EQ(cpu.CurrentCpu(), 1);
}

TEST(SimulatedProcessor, EachProcessorReportsItsOwnApicId) {
  SimulatedProcessor cpu(testing::LoadMachine("e8400"));
  EXPECT_EQ(cpu.Cpuid(1, 0).ebx, 0x00020800u);
  cpu.SetThreadAffinity(0x2);
  EXPECT_EQ(cpu.Cpuid(1, 0).ebx, 0x01020800u);
  EXPECT_EQ(cpu.Cpuid(0x12345, 0).eax, 0u);
}

TEST(SimulatedProcessor, TimeStampCounterRunsAtTheMachinesFrequency) {
  SimulatedClock clock;
  SimulatedProcessor cpu(testing::LoadMachine("e8400"), &clock);
  uint64_t start = cpu.ReadTsc();
  clock.AdvanceMilliseconds(1500);
  EXPECT_EQ(cpu.ReadTsc() - start, 4'500'000'000ull);
}

TEST(SimulatedClock, CalendarTimeAdvancesAcrossMidnightAndYears) {
  std::tm start{};
  start.tm_year = 2026 - 1900;
  start.tm_mon = 11;
  start.tm_mday = 31;
  start.tm_hour = 23;
  start.tm_min = 59;
  start.tm_sec = 59;
  SimulatedClock clock(start);
  clock.AdvanceMilliseconds(1000);
  std::tm now = clock.LocalNow();
  EXPECT_EQ(now.tm_year, 2027 - 1900);
  EXPECT_EQ(now.tm_mon, 0);
  EXPECT_EQ(now.tm_mday, 1);
  EXPECT_EQ(now.tm_hour, 0);
  EXPECT_EQ(now.tm_wday, 5);  // 1 January 2027 is a Friday
  EXPECT_EQ(now.tm_yday, 0);
  EXPECT_EQ(clock.TickCount(), 1000u);
  EXPECT_EQ(clock.PerformanceCounter(), 10'000'000);
}

TEST(SimulatedClock, TickCountWrapsLikeGetTickCount) {
  SimulatedClock clock;
  clock.AdvanceMilliseconds(0x100000000ll + 5);
  EXPECT_EQ(clock.TickCount(), 5u);
}

}  // namespace
}  // namespace korvath
