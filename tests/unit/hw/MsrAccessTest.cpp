#include "hw/MsrAccess.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "TestMachines.h"
#include "hw/CoreSlots.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

struct Rig {
  explicit Rig(const std::string& machineText)
      : processor(testing::ParseMachine(machineText), nullptr, CallRecord::kOn), cpu(CreateCpuInfo(processor)), access(processor, cpu) {}
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
};

std::vector<std::string> Writes(const SimulatedProcessor& processor) {
  std::vector<std::string> writes;
  for (const ProcessorEvent& event : processor.Events()) {
    if (event.kind == ProcessorEvent::Kind::kWriteMsr) writes.push_back(event.ToString());
  }
  return writes;
}

TEST(MsrAccess, OpeningReportsTheStatusText) {
  struct Case {
    const char* driver;
    std::optional<std::string> text;
  } cases[] = {
      {"status = 0\nmsr_support = 1\n", std::nullopt},
      {"status = 0\nmsr_support = 0\n", "No Error"},
      {"status = 2\n", "Driver Not Loaded\nTry Run as Administrator."},
      {"status = 3\n", "Driver Not Found"},
      {"status = 7\n", ""},
      {"status = 9\n", "Unknown Error"},
      {"status = 10\n", ""},
      {"status = -1\n", ""},
  };
  for (const Case& c : cases) {
    Rig rig(std::string("[system]\naffinity = 0x3\n[driver]\n") + c.driver);
    std::optional<FatalError> fatal = rig.access.Open();
    ASSERT_EQ(fatal.has_value(), c.text.has_value()) << c.driver;
    if (!fatal) continue;
    EXPECT_EQ(fatal->caption, "Driver Error");
    EXPECT_EQ(fatal->text, *c.text);
    EXPECT_EQ(fatal->exitCode, 0);
  }
}

TEST(MsrAccess, MsrSupportIsAskedOnlyWhenTheStatusIsZero) {
  Rig rig("[system]\naffinity = 0x1\n[driver]\nstatus = 4\n");
  rig.access.Open();
  EXPECT_EQ(rig.processor.EventStrings(), (std::vector<std::string>{"open", "status", "open-read-only"}));
}

// The read-only driver is asked only where the library cannot be used, and
// without it the Driver Error box is the one of the library's status.
TEST(MsrAccess, TheReadOnlyDriverStandsInOnlyForAnUnusableLibrary) {
  struct Case {
    const char* driver;
    bool fatal;
    RegisterAccess access;
    bool readOnlyAsked;
  } cases[] = {
      {"status = 0\nread_only_driver = 1\n", false, RegisterAccess::kReadWrite, false},
      {"status = 2\nread_only_driver = 1\n", false, RegisterAccess::kReadOnly, true},
      {"status = 0\nmsr_support = 0\nread_only_driver = 1\n", false, RegisterAccess::kReadOnly, true},
      {"status = 3\nread_only_driver = 0\n", true, RegisterAccess::kReadWrite, true},
  };
  for (const Case& c : cases) {
    Rig rig(std::string("[system]\naffinity = 0x1\n[driver]\n") + c.driver);
    std::optional<FatalError> fatal = rig.access.Open();
    EXPECT_EQ(fatal.has_value(), c.fatal) << c.driver;
    if (fatal) {
      EXPECT_EQ(fatal->text, "Driver Not Found");
    }
    EXPECT_EQ(rig.access.access(), c.access) << c.driver;
    std::vector<std::string> events = rig.processor.EventStrings();
    EXPECT_EQ(std::count(events.begin(), events.end(), "open-read-only"), c.readOnlyAsked ? 1 : 0) << c.driver;
  }
}

TEST(MsrAccess, LoopsVisitOnlyPresentProcessors) {
  // A gap at 2 is skipped; processors 8 and 9 beyond bit 7 are visited too.
  Rig rig("[system]\naffinity = 0x30B\nprocess_affinity = 0x1\n");
  EXPECT_EQ(rig.cpu.coreCount, 5);
  rig.access.SetClockModulation(0x12);
  EXPECT_EQ(Writes(rig.processor),
            (std::vector<std::string>{"write cpu0 0x19A 0x12", "write cpu1 0x19A 0x12", "write cpu3 0x19A 0x12",
                                      "write cpu8 0x19A 0x12", "write cpu9 0x19A 0x12"}));
  // The process started on processor 0 only and ends on the system mask.
  EXPECT_EQ(rig.processor.ProcessMask(), 0x30Bu);
  EXPECT_EQ(rig.processor.ThreadMask(), 0x30Bu);
}

TEST(MsrAccess, EnableFixedCountersLeavesSomeoneElsesCountersAlone) {
  Rig rig("[system]\naffinity = 0x3\n[msr]\n0x38D = 0x0000000100000020\n");
  rig.access.EnableFixedCounters();
  EXPECT_TRUE(Writes(rig.processor).empty());
  EXPECT_EQ(rig.cpu.countersEnabled, 0);
  rig.access.DisableFixedCounters();  // not ours: shutdown leaves them
  EXPECT_TRUE(Writes(rig.processor).empty());
  EXPECT_EQ(rig.processor.PeekMsr(0, kMsrFixedCtrCtrl), 0x0000000100000020ull);
}

TEST(MsrAccess, EnableFixedCountersSwitchesOnOnlyWhereOff) {
  Rig rig("[system]\naffinity = 0x3\n[msr]\n0x38D = 0x0000000700000003\n[msr.cpu1]\n0x38D = 0x200\n");
  rig.access.EnableFixedCounters();
  EXPECT_EQ(Writes(rig.processor), (std::vector<std::string>{"write cpu0 0x38D 0x700000223"}));
  EXPECT_EQ(rig.cpu.countersEnabled, 1);
}

TEST(MsrAccess, ShutdownRegisterWorkInOrder) {
  Rig rig("[system]\naffinity = 0x3\n[msr]\n0x38D = 0x0000000500000001\n0x30A = 77\n0x30B = 88\n");
  rig.access.EnableFixedCounters();
  rig.processor.ClearEvents();
  rig.access.SetClockModulation(2);
  rig.access.DisableFixedCounters();
  rig.access.Close();
  EXPECT_EQ(rig.processor.EventStrings(),
            (std::vector<std::string>{
                "thread-affinity 0x1", "yield", "write cpu0 0x19A 0x2",
                "thread-affinity 0x2", "yield", "write cpu1 0x19A 0x2",
                "thread-affinity 0x3",
                "thread-affinity 0x1", "yield", "read cpu0 0x38D", "write cpu0 0x38D 0x500000001",
                "write cpu0 0x30A 0x0", "write cpu0 0x30B 0x0",
                "thread-affinity 0x2", "yield", "read cpu1 0x38D", "write cpu1 0x38D 0x500000001",
                "write cpu1 0x30A 0x0", "write cpu1 0x30B 0x0",
                "thread-affinity 0x3", "close"}));
}

// Another program narrowed the process to processor 0: the refused pin widens
// the process back once and retries. A pin refused even then skips that
// processor's work rather than doing it on the wrong processor.
TEST(MsrAccess, RefusedPinWidensTheProcessAndRetriesOrSkipsTheProcessor) {
  Rig rig("[system]\naffinity = 0x3\n");
  rig.access.SetClockModulation(2);
  rig.processor.SetProcessAffinity(0x1);
  rig.processor.ClearEvents();
  rig.access.SetClockModulation(0x12);
  EXPECT_EQ(rig.processor.EventStrings(),
            (std::vector<std::string>{"thread-affinity 0x1", "yield", "write cpu0 0x19A 0x12",
                                      "thread-affinity 0x2", "process-affinity 0x3", "thread-affinity 0x2", "yield",
                                      "write cpu1 0x19A 0x12", "thread-affinity 0x3"}));

  rig.processor.RefuseThreadAffinity(0x2);
  rig.processor.ClearEvents();
  rig.access.SetClockModulation(0x14);
  EXPECT_EQ(Writes(rig.processor), (std::vector<std::string>{"write cpu0 0x19A 0x14"}));
  EXPECT_EQ(rig.processor.PeekMsr(1, kMsrClockModulation), 0x12u);
}

TEST(CoreSlots, TwoThreadsPerCoreTakeEveryOtherProcessorSortedByApicId) {
  // Leaf 1 EBX: 8 logical processors per package; leaf 4: 4 cores.
  Rig rig("[system]\naffinity = 0xFF\n[cpuid]\n0x1 = 0x106A5 0x00080800 0 0\n0x4 = 0x0C000121 0 0 0\n"
          "[cpuid.cpu0]\n0x1 = 0x106A5 0x06080800 0 0\n"
          "[cpuid.cpu2]\n0x1 = 0x106A5 0x02080800 0 0\n"
          "[cpuid.cpu4]\n0x1 = 0x106A5 0x04080800 0 0\n"
          "[cpuid.cpu6]\n0x1 = 0x106A5 0x02080800 0 0\n");
  BuildCoreSlots(rig.access);
  EXPECT_EQ(rig.cpu.coreSlotMask[0], 0x04u);  // APIC 2, first of the tie
  EXPECT_EQ(rig.cpu.coreSlotMask[1], 0x40u);  // APIC 2
  EXPECT_EQ(rig.cpu.coreSlotMask[2], 0x10u);  // APIC 4
  EXPECT_EQ(rig.cpu.coreSlotMask[3], 0x01u);  // APIC 6
  EXPECT_EQ(rig.processor.ProcessMask(), 0xFFu);
}

// The same four cores with Hyper-Threading on (eight processors, siblings
// side by side) and off (four processors with APIC identifiers 0, 2, 4, 6):
// each core gets one slot, with the very processors the step gives when on.
TEST(CoreSlots, HyperThreadingOnOrOffGivesEveryCoreOneSlot) {
  for (const char* name : {"i7-920", "i7-920-ht-off"}) {
    SimulatedProcessor processor(testing::LoadMachine(name));
    CpuInfo cpu = CreateCpuInfo(processor);
    MsrAccess access(processor, cpu);
    BuildCoreSlots(access);
    bool on = std::string(name) == "i7-920";
    std::vector<uint32_t> slots(std::begin(cpu.coreSlotMask), std::end(cpu.coreSlotMask));
    EXPECT_EQ(slots, on ? (std::vector<uint32_t>{0x1, 0x4, 0x10, 0x40}) : (std::vector<uint32_t>{0x1, 0x2, 0x4, 0x8}))
        << name;
  }
}

TEST(CoreSlots, MissingProcessorLeavesItsSlotEmptyAndLast) {
  Rig rig("[system]\naffinity = 0xB\n[cpuid]\n0x1 = 0x1067A 0x00040800 0 0\n0x4 = 0x0C000121 0 0 0\n");
  BuildCoreSlots(rig.access);
  EXPECT_EQ(rig.cpu.coreSlotMask[0], 0x1u);
  EXPECT_EQ(rig.cpu.coreSlotMask[1], 0x2u);
  EXPECT_EQ(rig.cpu.coreSlotMask[2], 0x8u);
  EXPECT_EQ(rig.cpu.coreSlotMask[3], 0x0u);
}

TEST(CoreSlots, SkullOnlyOnEightProcessorsThatAreNotCoreI7) {
  CpuInfo cpu;
  cpu.coreCount = 8;
  cpu.signature = 0x10676;
  cpu.coreSlotMask[0] = 0x1;
  ApplySkullSetting(cpu, 2);
  EXPECT_EQ(cpu.coreSlotMask[0], 0x10u);
  EXPECT_EQ(cpu.coreSlotMask[3], 0x80u);
  ApplySkullSetting(cpu, 3);
  EXPECT_EQ(cpu.coreSlotMask[0], 0x10u);
  cpu.signature = 0x106A5;
  ApplySkullSetting(cpu, 1);
  EXPECT_EQ(cpu.coreSlotMask[0], 0x10u);
  cpu.signature = 0x10676;
  cpu.coreCount = 4;
  ApplySkullSetting(cpu, 1);
  EXPECT_EQ(cpu.coreSlotMask[0], 0x10u);
}

}  // namespace
}  // namespace korvath
