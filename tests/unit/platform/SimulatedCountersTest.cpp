#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "TestMachines.h"
#include "platform/sim/MachineDescription.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedWorkThreads.h"

namespace korvath {
namespace {

constexpr uint32_t kCoreCycles = 0x30A;
constexpr uint32_t kReferenceCycles = 0x30B;
constexpr uint32_t kControl = 0x38D;

TEST(SimulatedCounters, CountOnlyWhileEnabledAtTheMachinesRates) {
  SimulatedClock clock;
  SimulatedProcessor cpu(testing::ParseMachine("[system]\naffinity = 0x3\ntsc_mhz = 2000\n"
                                               "[counters]\nload = 50\nratio = 1.5\n"
                                               "[counters.cpu1]\nload = 25\n"
                                               "[msr]\n0x30A = 1000\n"),
                         &clock);
  clock.AdvanceMilliseconds(1000);
  EXPECT_EQ(cpu.PeekMsr(0, kCoreCycles), 1000u) << "counted while switched off";

  cpu.SetThreadAffinity(0x1);
  cpu.WriteMsr(kControl, 0x220, 0);
  cpu.SetThreadAffinity(0x2);
  cpu.WriteMsr(kControl, 0x020, 0);  // core cycles only
  clock.AdvanceMilliseconds(1000);
  // cpu0: 2000 MHz * 50 % reference cycles, times 1.5 core cycles.
  EXPECT_EQ(cpu.PeekMsr(0, kReferenceCycles), 1'000'000'000u);
  EXPECT_EQ(cpu.PeekMsr(0, kCoreCycles), 1000u + 1'500'000'000u);
  // cpu1 takes its load from its own section and the ratio from [counters].
  EXPECT_EQ(cpu.PeekMsr(1, kCoreCycles), 1000u + 750'000'000u);
  EXPECT_EQ(cpu.PeekMsr(1, kReferenceCycles), 0u);

  // Switching off keeps what was counted; a write restarts from the value.
  cpu.SetThreadAffinity(0x1);
  cpu.WriteMsr(kControl, 0, 0);
  clock.AdvanceMilliseconds(500);
  EXPECT_EQ(cpu.PeekMsr(0, kReferenceCycles), 1'000'000'000u);
  cpu.WriteMsr(kControl, 0x220, 0);
  cpu.WriteMsr(kReferenceCycles, 7, 0);
  clock.AdvanceMilliseconds(1);
  uint32_t low = 0;
  uint32_t high = 0;
  cpu.ReadMsr(kReferenceCycles, &low, &high);
  EXPECT_EQ(low, 7u + 1'000'000u);

  cpu.SetActivity(0, {100, 1.0, std::nullopt});
  clock.AdvanceMilliseconds(1);
  EXPECT_EQ(cpu.PeekMsr(0, kReferenceCycles), 7u + 1'000'000u + 2'000'000u);
}

TEST(SimulatedCounters, TimeStampCounterIgnoresASkewedPerformanceCounter) {
  SimulatedClock clock;
  SimulatedProcessor cpu(testing::LoadMachine("e8400"), &clock);
  clock.SkewPerformanceCounterBetween(0, 2000, 5000);
  EXPECT_EQ(clock.PerformanceCounter(), 5000);
  EXPECT_EQ(cpu.ReadTsc(), 0u);
  clock.AdvanceMilliseconds(2);
  EXPECT_EQ(clock.PerformanceCounter(), 20000) << "the window ends at 2 ms";
  EXPECT_EQ(cpu.ReadTsc(), 6'000'000u);
}

TEST(SimulatedCounters, BusRatioFillsItsFieldOf0x2A) {
  SimulatedProcessor cpu(testing::ParseMachine("[system]\naffinity = 0x3\n"
                                               "[msr]\n0x2A = 0xFFFFFFFF00000001\n"
                                               "[counters]\nbus_ratio = 9.5\n"
                                               "[counters.cpu1]\nbus_ratio = 31\n"));
  EXPECT_EQ(cpu.PeekMsr(0, 0x2A), 0xFFFFFFFF02440001ull);
  EXPECT_EQ(cpu.PeekMsr(1, 0x2A), 0xFFFFFFFF07C00001ull);
  cpu.SetActivity(1, {0, 1.0, 6.0});
  EXPECT_EQ(cpu.PeekMsr(1, 0x2A), 0xFFFFFFFF01800001ull);
}

TEST(SimulatedCounters, CountersSectionIsCheckedWithLineNumbers) {
  MachineDescription machine = testing::ParseMachine(
      "[counters.cpu2]\nratio = 0.8\n[counters]\nload = 40\nratio = 1.2\n");
  ProcessorActivity cpu2 = ActivityOf(machine, 2);
  EXPECT_DOUBLE_EQ(cpu2.loadPercent, 40);  // [counters] may come after the override
  EXPECT_DOUBLE_EQ(cpu2.clockRatio, 0.8);
  EXPECT_DOUBLE_EQ(ActivityOf(machine, 0).clockRatio, 1.2);

  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[counters]\nload = 101\n", "line 2: load must be a percentage"},
      {"[counters]\n\nload = busy\n", "line 3: load must be a percentage"},
      {"[counters]\nratio = 0\n", "line 2: ratio must be a clock ratio"},
      {"[counters]\nbus_ratio = 9.25\n", "line 2: bus_ratio must be 0 to 31.5"},
      {"[counters]\nbus_ratio = 32\n", "line 2: bus_ratio must be 0 to 31.5"},
      {"[counters]\nspeed = 1\n", "line 2: unknown key 'speed' in [counters]"},
      {"[counters.cpu256]\n", "line 1: unknown section [counters.cpu256]"},
      {"[thermal]\nidle_readout = 128\n", "line 2: idle_readout must be a distance below TjMax"},
      {"[thermal]\ntime_constant = 0\n", "line 2: time_constant must be a number of seconds"},
      {"[thermal]\nidle_readout = 50\n", "[thermal] needs idle_readout and full_readout"},
      {"[schedule]\nstep = 20\n", "[schedule] needs a load list"},
      {"[schedule]\nload = 50 busy\n", "line 2: load 'busy' is not a percentage"},
      {"[schedule]\nratio = 1 5\n", "line 2: ratio '5' is not a clock ratio"},
      {"[schedule]\nbus_ratio = 9 6.3\n", "line 2: bus ratio '6.3' is not 0 to 31.5"},
      {"[schedule.cpu1]\n", "line 1: unknown section [schedule.cpu1]"},
  };
  for (const Case& c : cases) {
    MachineParseResult result = ParseMachineDescription(c.text);
    EXPECT_FALSE(result.machine.has_value()) << c.text;
    EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << c.text << " gave: " << result.error;
  }
}

// A machine with a thermal response and a load schedule: the sensor's
// readout and the fixed counters follow the scheduled load, stretch by
// stretch, and repeat with the schedule.
TEST(SimulatedCounters, LivingMachineFollowsItsScheduleWithItsSensors) {
  SimulatedClock clock;
  SimulatedProcessor cpu(testing::ParseMachine("[system]\naffinity = 0x3\ntsc_mhz = 1000\n"
                                               "[msr]\n0x19C = 0x88260000\n0x38D = 0x220\n"
                                               "[schedule]\nstep = 10\nload = 0 100\nratio = 0.5 1 2\n"
                                               "[thermal]\nidle_readout = 60\nfull_readout = 20\ntime_constant = 5\n"
                                               "[thermal.cpu1]\nidle_readout = 50\n"),
                         &clock);
  auto readout = [&cpu](int processor) {
    cpu.SetThreadAffinity(1u << processor);
    uint32_t low = 0;
    uint32_t high = 0;
    cpu.ReadMsr(0x19C, &low, &high);
    EXPECT_EQ(low & ~0x7F0000u, 0x88000000u) << "the rest of the register stays";
    return static_cast<int>((low >> 16) & 0x7F);
  };
  EXPECT_EQ(readout(0), 60);
  EXPECT_EQ(readout(1), 50);
  clock.AdvanceMilliseconds(15'000);  // 10 s idle, then 5 s (one time constant) at full load
  EXPECT_EQ(readout(0), 35);          // 20 + 40 / e
  EXPECT_EQ(readout(1), 31);          // 20 + 30 / e
  uint64_t reference = cpu.PeekMsr(0, kReferenceCycles);
  uint64_t core = cpu.PeekMsr(0, kCoreCycles);
  EXPECT_EQ(reference, 5'000'000'000u);
  EXPECT_EQ(core, 5'000'000'000u);  // ratio 1 in the second step
  clock.AdvanceMilliseconds(30'000);  // 5 s full (ratio 1), 10 s idle, 10 s full (ratio 0.5), 5 s idle
  readout(0);
  EXPECT_EQ(cpu.PeekMsr(0, kReferenceCycles) - reference, 15'000'000'000u);
  EXPECT_EQ(cpu.PeekMsr(0, kCoreCycles) - core, 10'000'000'000u);
  EXPECT_LT(cpu.SensorReadout(0), 60.0);
  EXPECT_GT(cpu.SensorReadout(0), 20 + 40 * std::exp(-1.0)) << "cooling for the last 5 s";
}

// The movement test's load threads and the stress program count as load.
TEST(SimulatedCounters, OutsideWorkAndTheStressProgramLoadTheLivingMachine) {
  // Runs each work at once, taking two simulated seconds.
  class TwoSecondThreads : public Threads {
   public:
    explicit TwoSecondThreads(SimulatedClock& clock) : clock_(clock) {}
    int CurrentPriority() override { return 0; }
    void SetCurrentPriority(int) override {}
    std::unique_ptr<WorkerThread> Start(int, std::function<void()> work) override {
      struct Done : WorkerThread {
        void Join() override {}
      };
      clock_.AdvanceMilliseconds(2000);
      work();
      return std::make_unique<Done>();
    }

   private:
    SimulatedClock& clock_;
  };
  SimulatedClock clock;
  SimulatedProcessor cpu(testing::ParseMachine("[system]\naffinity = 0x3\n"
                                               "[thermal]\nidle_readout = 60\nfull_readout = 20\ntime_constant = 2\n"),
                         &clock);
  TwoSecondThreads inner(clock);
  SimulatedWorkThreads threads(inner, cpu);
  ASSERT_NE(threads.Start(kThreadPriorityIdle, [] {}), nullptr);
  clock.AdvanceMilliseconds(1);
  cpu.PokeMsr(0, 0x1, 0);  // any register work brings the model up to date
  EXPECT_NEAR(cpu.SensorReadout(0), 20 + 40 * std::exp(-1.0), 0.1) << "one processor busy for 2 s";
  EXPECT_NEAR(cpu.SensorReadout(1), 60, 0.1);

  bool stress = true;
  cpu.SetStressProbe([&stress] { return stress; });
  clock.AdvanceMilliseconds(1);
  cpu.PokeMsr(0, 0x1, 0);
  clock.AdvanceMilliseconds(20'000);
  cpu.PokeMsr(0, 0x1, 0);
  EXPECT_NEAR(cpu.SensorReadout(0), 20, 0.1);
  EXPECT_NEAR(cpu.SensorReadout(1), 20, 0.1);
  stress = false;
  clock.AdvanceMilliseconds(1000);
  cpu.PokeMsr(0, 0x1, 0);
  clock.AdvanceMilliseconds(20'000);
  cpu.PokeMsr(0, 0x1, 0);
  EXPECT_NEAR(cpu.SensorReadout(1), 60, 0.1);
}

}  // namespace
}  // namespace korvath
