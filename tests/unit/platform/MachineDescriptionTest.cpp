#include "platform/sim/MachineDescription.h"

#include <gtest/gtest.h>

#include "TestMachines.h"

namespace korvath {
namespace {

TEST(MachineDescription, ReadsTheE8400Example) {
  MachineDescription machine = testing::LoadMachine("e8400");
  EXPECT_EQ(machine.systemAffinity, 0x3u);
  EXPECT_DOUBLE_EQ(machine.tscMhz, 3000.0);
  EXPECT_EQ(machine.cpuid.at({1, 0}).eax, 0x0001067Au);
  EXPECT_EQ(machine.cpuid.at({4, 0}).eax, 0x04000121u);
  EXPECT_EQ(machine.msr.at(0x198), 0x0000092000000920ull);
  EXPECT_TRUE(machine.hasGpu);
  EXPECT_EQ(machine.gpuTemperatures, (std::vector<int>{55, 61}));
  EXPECT_EQ(machine.driverStatus, 0);
  EXPECT_TRUE(machine.msrSupport);
}

TEST(MachineDescription, OverridesCommentsAndDriverSection) {
  MachineDescription machine = testing::ParseMachine(
      "\xEF\xBB\xBF; a comment\r\n"
      "[System]\r\n"
      "affinity = 0xB   ; gaps\r\n"
      "process_affinity = 0x1\r\n"
      "[msr]\n0x19C = 0x88270000\n"
      "[msr.cpu1]\n0x19C = 0x88260000\n"
      "[cpuid.cpu3]\n0x1 = 1 2 3 4\n"
      "[driver]\nstatus = 2\nmsr_support = 0\nread_fails_every = 9\n");
  EXPECT_EQ(machine.systemAffinity, 0xBu);
  EXPECT_EQ(machine.processAffinity, 0x1u);
  EXPECT_EQ(machine.msrOverrides.at(1).at(0x19C), 0x88260000ull);
  EXPECT_EQ(machine.cpuidOverrides.at(3).at({1, 0}).edx, 4u);
  EXPECT_EQ(machine.driverStatus, 2);
  EXPECT_FALSE(machine.msrSupport);
  EXPECT_EQ(machine.readFailsEvery, 9);
  EXPECT_FALSE(machine.hasGpu);
  EXPECT_EQ(testing::ParseMachine("[gpu]\ntemperatures = 50\nfail_after = 4\n").gpuFailAfter, 4);
}

TEST(MachineDescription, RejectsMalformedFilesWithTheLineNumber) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[cpuid]\n0x1 = 1 2 3\n", "line 2: CPUID leaf needs four registers"},
      {"[system]\n\naffinity = 0\n", "line 3: affinity must name at least one processor"},
      {"0x19C = 1\n", "line 1: entry outside a section"},
      {"[msr]\n0x19C 1\n", "line 2: expected 'key = value'"},
      {"[msr]\n0x19C = 0x1G\n", "line 2: register value '0x1G'"},
      {"[bogus]\n", "line 1: unknown section [bogus]"},
      {"[msr.cpu256]\n", "line 1: unknown section [msr.cpu256]"},
      {"[gpu\n", "line 1: section header without closing ']'"},
      {"[gpu]\ntemperatures = 55 hot\n", "line 2: GPU temperature 'hot'"},
      {"[cpuid]\n0x100000000 = 1 2 3 4\n", "line 2: CPUID leaf"},
      {"[driver]\nmsr_support = 2\n", "line 2: msr_support must be 0 or 1"},
      {"[driver]\nread_fails_every = -1\n", "line 2: read_fails_every must be"},
      {"[gpu]\nfail_after = soon\n", "line 2: fail_after must be"},
      {"[system]\nprocessors = 257\n", "line 2: processors must be a number from 1 to 256"},
      {"[system]\nprocessors = 0\n", "line 2: processors must be a number from 1 to 256"},
      {"[system]\nprocessors = 4\naffinity = 0xF\n", "[system] takes processors or affinity, not both"},
  };
  for (const Case& c : cases) {
    MachineParseResult result = ParseMachineDescription(c.text);
    EXPECT_FALSE(result.machine.has_value()) << c.text;
    EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << c.text << " gave: " << result.error;
  }
}

// Windows' groups: at most 64 processors each, a package whole in one group
// when it fits.
TEST(MachineDescription, ProcessorsFormGroupsAsWindowsDoes) {
  // One package of 100 (no topology leaves): 64 and 36.
  MachineDescription one = testing::ParseMachine("[system]\nprocessors = 100\n[msr.cpu255]\n0x19C = 1\n");
  EXPECT_EQ(one.groups, (std::vector<uint64_t>{~uint64_t{0}, 0xFFFFFFFFFull}));
  // Two packages of 36: one group each.
  EXPECT_EQ(testing::LoadMachine("xeon-6154-2s").groups, (std::vector<uint64_t>{0xFFFFFFFFFull, 0xFFFFFFFFFull}));
  EXPECT_EQ(testing::LoadMachine("i9-12900k").groups, (std::vector<uint64_t>{0xFFFFFFull}));
  EXPECT_EQ(testing::LoadMachine("e8400").groups, (std::vector<uint64_t>{0x3}));
}

TEST(MachineDescription, MissingFileIsAClearError) {
  MachineParseResult result = LoadMachineDescription("/nonexistent/machine.ini");
  EXPECT_FALSE(result.machine.has_value());
  EXPECT_NE(result.error.find("cannot read machine file"), std::string::npos);
}

}  // namespace
}  // namespace korvath
