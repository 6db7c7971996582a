#include "config/ClockModulation.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "config/IniProfileStore.h"
#include "config/ScratchFile.h"
#include "config/SettingsFile.h"
#include "hw/MsrAccess.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

// Three processors with a gap, so that "every processor" is seen to mean the
// system mask and not a count.
constexpr char kMachine[] =
    "[system]\naffinity = 0xB\n[cpuid]\n0x1 = 0x1067A 0 0 0\n"
    "[msr]\n0x19D = 0x0000000000000020\n0x198 = 0x0000092800000920\n";

struct Rig {
  explicit Rig(const std::string& extra = "")
      : processor(testing::ParseMachine(kMachine + extra), nullptr, CallRecord::kOn), cpu(CreateCpuInfo(processor)), access(processor, cpu),
        clock(access) {
    cpu.signature = 0x1067A;
  }
  void SetRegister(uint64_t value) {
    for (int i : {0, 1, 3}) processor.PokeMsr(i, kMsrClockModulation, value);
  }
  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const ProcessorEvent& event : processor.Events()) {
      if (event.kind == ProcessorEvent::Kind::kWriteMsr) writes.push_back(event.ToString());
    }
    return writes;
  }
  static std::vector<std::string> WritesOf(const char* value) {
    return {std::string("write cpu0 0x19A ") + value, std::string("write cpu1 0x19A ") + value,
            std::string("write cpu3 0x19A ") + value};
  }

  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
  ClockModulation clock;
};

TEST(ClockModulation, DutyTextAndNormalising) {
  EXPECT_EQ(DutyCycleText(0x12), "12.5 %");
  EXPECT_EQ(DutyCycleText(0x1E), "87.5 %");
  EXPECT_EQ(DutyCycleText(0x10), "0.0 %");
  EXPECT_EQ(NormaliseClockModulation(0x10), 0x12u);
  EXPECT_EQ(NormaliseClockModulation(0x11), 0x13u);
  EXPECT_EQ(NormaliseClockModulation(0x8), 0x8u);
}

TEST(ClockModulation, SavedValueAtStartUp) {
  // The whole way: through the file, the read and every processor.
  testing::ScratchFile file;
  file.Write("[Korvath]\nClockMod=16\n");
  IniProfileStore store(file.path(), "Korvath");
  Rig rig;
  StartupFacts facts;
  AppSettings s = ReadSettings(store, facts, rig.clock);
  EXPECT_EQ(s.clockMod, 16u);
  EXPECT_EQ(rig.processor.EventStrings(),
            (std::vector<std::string>{"process-affinity 0xB", "thread-affinity 0x1", "yield", "write cpu0 0x19A 0x12",
                                      "thread-affinity 0x2", "yield", "write cpu1 0x19A 0x12",
                                      "thread-affinity 0x8", "yield", "write cpu3 0x19A 0x12",
                                      "thread-affinity 0xB"}));

  Rig untouched;
  untouched.clock.ApplyAtStartup(0);
  // A hand-edited value keeps only the register's own bits 4-0; with none
  // of them left it is no saved value at all.
  untouched.clock.ApplyAtStartup(0xFFFFFF00);
  EXPECT_TRUE(untouched.processor.Events().empty());
  Rig edited;
  edited.clock.ApplyAtStartup(0x80000118);
  EXPECT_EQ(edited.processor.PeekMsr(3, kMsrClockModulation), 0x18u);
  // A run that never touched the register saves it as it found it.
  untouched.SetRegister(0x0000000700000014);
  EXPECT_EQ(untouched.clock.ReadForSaving(), 0x14u);
}

TEST(ClockModulation, OpeningTheDialog) {
  Rig rig;
  rig.SetRegister(0x0000000500000010);  // enabled without a duty code; high half not ours
  EXPECT_EQ(rig.clock.ReadCoreVid().minText, "Min = 1.2250");
  rig.processor.ClearEvents();
  ClockModulationView view = rig.clock.Open();
  EXPECT_TRUE(view.enabled);
  EXPECT_EQ(view.dutyText, "12.5 %");
  EXPECT_EQ(rig.clock.heldForCancel(), 0x10u);
  EXPECT_EQ(rig.processor.EventStrings(),
            (std::vector<std::string>{"thread-affinity 0x1", "yield", "read cpu0 0x19A", "thread-affinity 0xB", "thread-affinity 0x1", "yield",
                                      "write cpu0 0x19A 0x12", "thread-affinity 0x2", "yield",
                                      "write cpu1 0x19A 0x12", "thread-affinity 0x8", "yield",
                                      "write cpu3 0x19A 0x12", "thread-affinity 0xB"}));
  EXPECT_EQ(rig.processor.PeekMsr(3, kMsrClockModulation), 0x12u);

  // Cancel writes back what was read, not its normalised form.
  rig.clock.StepUp();
  rig.processor.ClearEvents();
  rig.clock.Cancel();
  EXPECT_EQ(rig.Writes(), Rig::WritesOf("0x10"));
}

TEST(ClockModulation, OpeningWithModulationOffStillWritesTheNormalisedValue) {
  Rig rig;
  rig.SetRegister(0x0);
  ClockModulationView view = rig.clock.Open();
  EXPECT_FALSE(view.enabled);
  EXPECT_EQ(view.dutyText, "12.5 %");
  EXPECT_EQ(rig.Writes(), Rig::WritesOf("0x2"));
}

TEST(ClockModulation, CoreVidTexts) {
  Rig rig;
  CoreVidView vid = rig.clock.ReadCoreVid();
  EXPECT_TRUE(vid.enabled);
  EXPECT_EQ(vid.minText, "Min = 1.2250");
  EXPECT_EQ(vid.maxText, "Max = 1.3250");  // 0x28 in bits 37..32
  EXPECT_EQ(rig.processor.EventStrings(),
            (std::vector<std::string>{"process-affinity 0xB", "thread-affinity 0x1", "yield", "read cpu0 0x19D",
                                      "thread-affinity 0xB", "thread-affinity 0x1", "yield",
                                      "read cpu0 0x198", "thread-affinity 0xB"}));

  // Core i7 and the processors after it: 0x198's high half is no VID there.
  Rig coreI7;
  coreI7.cpu.signature = 0x106A4;
  Rig newer;
  newer.cpu.signature = 0x906EA;
  newer.cpu.newerProcessor = true;
  for (Rig* other : {&coreI7, &newer}) {
    vid = other->clock.ReadCoreVid();
    EXPECT_FALSE(vid.enabled);
    EXPECT_EQ(vid.minText, "");
    EXPECT_EQ(vid.maxText, "");
    EXPECT_TRUE(other->processor.Events().empty());
  }
}

TEST(ClockModulation, StepsWrapAndSwitchModulationOn) {
  struct Case {
    uint64_t before;
    bool up;
    const char* written;
    const char* text;
  } cases[] = {
      {0x1E, true, "0x12", "12.5 %"},   // 87.5 % wraps to 12.5 %
      {0x0E, true, "0x12", "12.5 %"},   // and switches on
      {0x0F, true, "0x12", "12.5 %"},   // bit 0 counts: still at the top
      {0x02, true, "0x14", "25.0 %"},   // off: one step up, switched on
      {0x0D, true, "0x1F", "87.5 %"},
      {0x12, false, "0x1E", "87.5 %"},  // 12.5 % wraps to 87.5 %
      {0x02, false, "0x1E", "87.5 %"},
      {0x00, false, "0x1E", "87.5 %"},
      {0x16, false, "0x14", "25.0 %"},
      {0x0000000900000008, false, "0x16", "37.5 %"},  // only the low half counts
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.SetRegister(c.before);
    ClockModulationView view = c.up ? rig.clock.StepUp() : rig.clock.StepDown();
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.dutyText, c.text) << c.before;
    EXPECT_EQ(rig.Writes(), Rig::WritesOf(c.written)) << c.before << (c.up ? " +" : " -");
  }
}

TEST(ClockModulation, EnableCheckBoxKeepsTheDutyCode) {
  struct Case {
    uint64_t before;
    bool check;
    const char* written;
    const char* text;
  } cases[] = {
      {0x1A, false, "0xA", "62.5 %"},  // unticking clears only bit 4
      {0x0B, true, "0x1B", "62.5 %"},
      {0x11, false, "0x2", "12.5 %"},  // no duty code: replaced by 2 outright
      {0x00, true, "0x12", "12.5 %"},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.SetRegister(c.before);
    ClockModulationView view = rig.clock.SetEnabled(c.check);
    EXPECT_EQ(view.enabled, c.check);
    EXPECT_EQ(view.dutyText, c.text);
    EXPECT_EQ(rig.Writes(), Rig::WritesOf(c.written)) << c.before;
  }
}

TEST(ClockModulation, DefaultsAndExit) {
  Rig rig;
  rig.SetRegister(0x1C);
  ClockModulationView view = rig.clock.Defaults();
  EXPECT_FALSE(view.enabled);
  EXPECT_EQ(view.dutyText, "12.5 %");
  EXPECT_EQ(rig.Writes(), Rig::WritesOf("0x2"));

  Rig exiting;
  exiting.SetRegister(0x1C);
  EXPECT_EQ(exiting.clock.ReadForSaving(), 0x1Cu);
  exiting.processor.ClearEvents();
  exiting.clock.SwitchOff();
  EXPECT_EQ(exiting.Writes(), Rig::WritesOf("0x2"));
}

// A driver that refuses the read gives no value: the dialog steps from what
// was last written and the exit saves that, not 0 over the user's setting.
TEST(ClockModulation, RefusedReadsKeepTheLastKnownValue) {
  Rig rig("[driver]\nread_fails_every = 1\n");
  rig.clock.ApplyAtStartup(0x1C);
  EXPECT_EQ(rig.clock.ReadForSaving(), 0x1Cu);
  EXPECT_EQ(rig.clock.StepUp().dutyText, "87.5 %");
  EXPECT_EQ(rig.clock.ReadForSaving(), 0x1Eu);
}

}  // namespace
}  // namespace korvath
