#include "hw/CpuTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestMachines.h"
#include "config/SettingsFile.h"
#include "hw/ClockDisplay.h"
#include "monitor/ClockTexts.h"
#include "hw/CoreRatios.h"
#include "hw/CoreSlots.h"
#include "hw/MsrAccess.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

struct Machine {
  explicit Machine(MachineDescription description, CallRecord record = CallRecord::kOff)
      : processor(std::move(description), &clock, record), cpu(CreateCpuInfo(processor)), access(processor, cpu) {}
  SimulatedClock clock;
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
};

// "P 0 0,1": type, package and processors of each core, in display order.
std::vector<std::string> CoreList(const CpuInfo& cpu) {
  std::vector<std::string> lines;
  for (const PhysicalCore& core : cpu.cores) {
    std::string line = std::string(CoreTypeName(core.type)) + " " + std::to_string(core.package) + " ";
    for (size_t i = 0; i < core.processors.size(); ++i) line += (i ? "," : "") + std::to_string(core.processors[i]);
    lines.push_back(line);
  }
  return lines;
}

std::vector<uint32_t> Slots(const CpuInfo& cpu) { return {std::begin(cpu.coreSlotMask), std::end(cpu.coreSlotMask)}; }

TEST(CpuTopology, CoresAndTypesFromRealDumps) {
  struct Case {
    const char* name;
    std::vector<std::string> cores;
    std::vector<uint32_t> slots;
  } cases[] = {
      // P-cores with two threads first, then the E-cores of one thread.
      {"i9-12900k",
       {"P 0 0,1", "P 0 2,3", "P 0 4,5", "P 0 6,7", "P 0 8,9", "P 0 10,11", "P 0 12,13", "P 0 14,15", "E 0 16",
        "E 0 17", "E 0 18", "E 0 19", "E 0 20", "E 0 21", "E 0 22", "E 0 23"},
       {0x1, 0x4, 0x10, 0x40}},
      // The compute tile's E-cores have the lowest core ids, the SoC tile's
      // low-power E-cores the highest.
      {"ultra7-155h",
       {"E 0 2", "E 0 3", "E 0 4", "E 0 5", "E 0 6", "E 0 7", "E 0 8", "E 0 9", "P 0 10,11", "P 0 12,13", "P 0 0,1",
        "P 0 14,15", "P 0 16,17", "P 0 18,19", "LP-E 0 20", "LP-E 0 21"},
       {0x4, 0x8, 0x10, 0x20}},
      // Not a hybrid processor: no core types. Four processors keep the
      // slots' own rule.
      {"n100", {" 0 0", " 0 1", " 0 2", " 0 3"}, {0x1, 0x2, 0x4, 0x8}},
  };
  for (const Case& c : cases) {
    Machine machine(testing::LoadMachine(c.name));
    BuildCoreSlots(machine.access);
    EXPECT_EQ(CoreList(machine.cpu), c.cores) << c.name;
    EXPECT_EQ(Slots(machine.cpu), c.slots) << c.name;
    ASSERT_EQ(machine.cpu.packages.size(), 1u) << c.name;
    EXPECT_EQ(machine.cpu.packages[0].firstProcessor, 0) << c.name;
  }
}

// Two packages of 36 processors form two groups of 36; every loop reaches
// group 1 by a group pin and puts the thread back into its own group.
TEST(CpuTopology, TwoSocketMachineInTwoProcessorGroups) {
  Machine machine(testing::LoadMachine("xeon-6154-2s"), CallRecord::kOn);
  EXPECT_EQ(machine.cpu.groupCount, 2);
  EXPECT_EQ(machine.cpu.groupFirst[1], 36);
  EXPECT_EQ(machine.cpu.coreCount, 72);
  BuildCoreSlots(machine.access);
  ASSERT_EQ(machine.cpu.cores.size(), 36u);
  EXPECT_EQ(CoreList(machine.cpu)[0], " 0 0,1");
  EXPECT_EQ(CoreList(machine.cpu)[17], " 0 34,35");
  EXPECT_EQ(CoreList(machine.cpu)[18], " 1 36,37");
  EXPECT_EQ(CoreList(machine.cpu)[35], " 1 70,71");
  ASSERT_EQ(machine.cpu.packages.size(), 2u);
  EXPECT_EQ(machine.cpu.packages[1].firstProcessor, 36);
  EXPECT_EQ(Slots(machine.cpu), (std::vector<uint32_t>{0x1, 0x4, 0x10, 0x40}));

  machine.processor.ClearEvents();
  machine.access.SetClockModulation(0x12);
  std::vector<std::string> events = machine.processor.EventStrings();
  EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const std::string& e) { return e.rfind("write", 0) == 0; }),
            72);
  std::vector<std::string> around36(events.begin() + 3 * 35, events.begin() + 3 * 37);
  EXPECT_EQ(around36, (std::vector<std::string>{"thread-affinity group 0 0x800000000", "yield", "write cpu35 0x19A 0x12",
                                                "thread-affinity group 1 0x1", "yield", "write cpu36 0x19A 0x12"}));
  EXPECT_EQ(events.back(), "thread-affinity group 0 0xFFFFFFFFF");
  EXPECT_EQ(machine.processor.PeekMsr(71, kMsrClockModulation), 0x12u);
  EXPECT_EQ(machine.processor.CurrentThreadGroup(), 0);
}

// Two packages of 32 processors fill one group to its 64th bit: every mask
// is the full 64 bits, and the second package's cores begin at processor 32.
TEST(CpuTopology, TwoSocketMachineInOneFullProcessorGroup) {
  Machine machine(testing::LoadMachine("xeon-6130-2s"), CallRecord::kOn);
  EXPECT_EQ(machine.cpu.groupCount, 1);
  EXPECT_EQ(machine.cpu.systemAffinityMask, ~0ull);
  EXPECT_EQ(machine.cpu.coreCount, 64);
  BuildCoreSlots(machine.access);
  ASSERT_EQ(machine.cpu.cores.size(), 32u);
  EXPECT_EQ(CoreList(machine.cpu)[15], " 0 30,31");
  EXPECT_EQ(CoreList(machine.cpu)[16], " 1 32,33");
  EXPECT_EQ(CoreList(machine.cpu)[31], " 1 62,63");
  ASSERT_EQ(machine.cpu.packages.size(), 2u);
  EXPECT_EQ(machine.cpu.packages[1].firstProcessor, 32);

  machine.processor.ClearEvents();
  machine.access.SetClockModulation(0x12);
  std::vector<std::string> events = machine.processor.EventStrings();
  ASSERT_EQ(events.size(), 3u * 64 + 1);
  EXPECT_EQ(events[3 * 63], "thread-affinity 0x8000000000000000");
  EXPECT_EQ(events.back(), "thread-affinity 0xFFFFFFFFFFFFFFFF");
  EXPECT_EQ(machine.processor.PeekMsr(63, kMsrClockModulation), 0x12u);
}

// Four busy processors of 24: the load is the mean over all of them.
TEST(CpuTopology, LoadIsTheMeanOverEveryProcessor) {
  MachineDescription description = testing::LoadMachine("i9-12900k");
  description.activity.loadPercent = 0;
  for (int cpu : {0, 5, 16, 23}) description.activityOverrides[cpu].loadPercent = 100;
  Machine machine(description);
  TakeCounterBaselines(machine.access);
  machine.clock.AdvanceMilliseconds(1000);
  MeasureCoreRatios(machine.access);
  EXPECT_EQ(LoadText(machine.cpu), "Load  16.7%");
  EXPECT_EQ(machine.cpu.coreLoad[23], 100.0);
}

// Processors 0-3 of a machine whose cores have two threads each are two
// cores: the Skull setting leaves such a table as built.
TEST(CpuTopology, SkullNeverPutsTwoThreadsOfOneCoreIntoTwoSlots) {
  Machine machine(testing::ParseMachine(
      "[system]\naffinity = 0xFF\n[cpuid]\n0x1 = 0x206A7 0x00080800 0 0\n0x4 = 0x0C000121 0 0 0\n"));
  BuildCoreSlots(machine.access);
  machine.cpu.signature = 0x206A7;
  EXPECT_EQ(CoreList(machine.cpu), (std::vector<std::string>{" 0 0,1", " 0 2,3", " 0 4,5", " 0 6,7"}));
  ApplySkullSetting(machine.cpu, 1);
  EXPECT_EQ(Slots(machine.cpu), (std::vector<uint32_t>{0x1, 0x4, 0x10, 0x40}));
  // Eight cores of one thread (two quad-core packages): Skull still applies.
  for (int p = 0; p < kSlotRuleProcessors; ++p) machine.cpu.coreOfProcessor[p] = p;
  ApplySkullSetting(machine.cpu, 2);
  EXPECT_EQ(Slots(machine.cpu), (std::vector<uint32_t>{0x10, 0x20, 0x40, 0x80}));
}

// APICID keeps naming processors 0-7 on a machine of 24.
TEST(CpuTopology, ApicIdsOfTheFirstEightProcessorsOnly) {
  Machine machine(testing::LoadMachine("i9-12900k"));
  EXPECT_EQ(ReadApicIds(machine.access), "01010101");
}

}  // namespace
}  // namespace korvath
