#include "tools/Benchmark.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "hw/MsrAccess.h"
#include "hw/TscClock.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedProcessor.h"
#include "resources/resource.h"
#include "tools/ToolFakes.h"
#include "tools/WorkKernel.h"
#include "ui/InMemoryControlSurface.h"

namespace korvath {
namespace {

TEST(BenchmarkReport, AllLinesAndTheScoreRightAligned) {
  BenchmarkResult result;
  result.seconds = 7.315;
  result.performanceTimer = true;
  result.speedMhz = 2999.996;
  result.checksumPassed = true;
  EXPECT_EQ(FormatBenchmarkReport(result),
            "Base Score          1000\n"
            "E8400         3000 MHz         \n\n"
            "High Score          1848\n"
            "Time           7.915 secs\n"
            "i7 940     4600.05 MHz\n"
            "jbn     QuazelleBoard\n\n"
            "Your Score          2000\n"
            "Time         7.315 secs\n"
            "Speed    3000.00 MHz\n\n"
            "Performance Timer\n"
            "CheckSum Pass");

  result.performanceTimer = false;
  result.checksumPassed = false;
  std::string text = FormatBenchmarkReport(result);
  EXPECT_NE(text.find("\n\nStandard Timer\nCheckSum Fail"), std::string::npos) << text;
}

TEST(BenchmarkClock, ReadsThePublishedValuesAtEachCall) {
  TscMeasurements published;
  ClockReadings readings = ReadingsOf(published);
  EXPECT_EQ(readings.tscMhz(), 0.0);
  published.tscMhz = 2400.5;
  published.tscPerQpcTick = 240.05;
  EXPECT_EQ(readings.tscMhz(), 2400.5);
  EXPECT_EQ(readings.tscPerQpcTick(), 240.05);
}

TEST(BenchmarkReport, ZeroTimeScoresZeroInsteadOfInfinity) {
  BenchmarkResult result;
  std::string text = FormatBenchmarkReport(result);
  EXPECT_NE(text.find("Your Score             0\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("inf"), std::string::npos);
  EXPECT_EQ(text.find("nan"), std::string::npos);
}

TEST(BenchmarkTime, SixteenMillisecondsApartStillTrustsThePerformanceCounter) {
  EXPECT_TRUE(ChooseBenchmarkTime(1.016, 1.0).performanceTimer);
  EXPECT_TRUE(ChooseBenchmarkTime(0.984, 1.0).performanceTimer);
  EXPECT_DOUBLE_EQ(ChooseBenchmarkTime(1.016, 1.0).seconds, 1.016);

  BenchmarkTime apart = ChooseBenchmarkTime(1.017, 1.0);
  EXPECT_FALSE(apart.performanceTimer);
  EXPECT_DOUBLE_EQ(apart.seconds, 1.0);

  EXPECT_FALSE(ChooseBenchmarkTime(std::nullopt, 2.5).performanceTimer);
  EXPECT_DOUBLE_EQ(ChooseBenchmarkTime(std::nullopt, 2.5).seconds, 2.5);
}

TEST(BenchmarkMultiplier, CoreI7RoundsTheMeasuredRatioToHalfSteps) {
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x106A5, 0.98, 22.0, 0), 21.5);
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x106A4, 1.0, 20.0, 0), 20.0);
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x106A4, 0.5, 20.0, 0), 12.0);
  // The power-on register plays no part on Core i7.
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x106A5, 1.0, 20.0, 0x02400000), 20.0);
}

TEST(BenchmarkMultiplier, OtherProcessorsReadThePowerOnRegister) {
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x1067A, 1.0, 9.0, 0x02400000), 9.0);
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x1067A, 1.0, 9.0, 0x02440000), 9.5);
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x1067A, 1.0, 9.0, 0x07C00000), 31.0);
  EXPECT_DOUBLE_EQ(BenchmarkMultiplier(0x1067A, 1.0, 9.0, 0x0), 0.0);
}

class FailingCounterClock : public SimulatedClock {
 public:
  int64_t PerformanceFrequency() override { return 0; }
};

MachineDescription WithReadFailures(MachineDescription machine, int every) {
  machine.readFailsEvery = every;
  return machine;
}

template <typename Clock = SimulatedClock>
struct BenchmarkRig {
  explicit BenchmarkRig(int readFailsEvery = 0)
      : processor(WithReadFailures(testing::LoadMachine("e8400"), readFailsEvery), &clock),
        cpu(CreateCpuInfo(processor)),
        access(processor, cpu),
        benchmark(access, clock, threads, desktop, mainWindow, {[this] { return readMhz ? readMhz() : tscMhz; }, [this] { return tscPerQpcTick; }},
                  [this] {
                    ++ratioMeasurements;
                    return 0.98;
                  }) {
    cpu.signature = 0x1067A;
    cpu.maxMultiplier = 9.0;
    mainWindow.RecordTexts();
    // The kernel takes 7.315 s on the simulated clock.
    benchmark.SetKernel([this](int multiplier) {
      kernelMultiplier = multiplier;
      priorityDuringKernel = threads.priority;
      clock.AdvanceMilliseconds(7315);
      return kernelResult;
    });
  }
  Clock clock;
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
  testing::FakeThreads threads;
  SimulatedDesktop desktop;
  InMemoryControlSurface mainWindow{IDC_QZ_BENCH};
  double tscMhz = 3000.0;
  std::function<double()> readMhz;
  // 3000 MHz over the simulated 10 MHz performance counter.
  double tscPerQpcTick = 300.0;
  int ratioMeasurements = 0;
  int kernelMultiplier = 0;
  int priorityDuringKernel = 0;
  uint32_t kernelResult = kBenchmarkChecksum;
  Benchmark benchmark;
};

TEST(Benchmark, RunsAtHighestPriorityAndReportsTheScore) {
  BenchmarkRig<> rig;
  rig.threads.priority = -1;
  std::optional<BenchmarkResult> result = rig.benchmark.Run();

  ASSERT_TRUE(result);
  EXPECT_EQ(rig.kernelMultiplier, 2);
  EXPECT_EQ(rig.priorityDuringKernel, kThreadPriorityHighest);
  EXPECT_EQ(rig.threads.priority, -1);
  EXPECT_EQ(rig.ratioMeasurements, 0);
  EXPECT_EQ(rig.mainWindow.HistoryOf(IDC_QZ_BENCH),
            (std::vector<std::string>{"Wait...", "Testing...", "Done", "QZ Bench"}));
  EXPECT_TRUE(rig.mainWindow.IsEnabled(IDC_QZ_BENCH));
  EXPECT_EQ(rig.mainWindow.FocusedControl(), IDC_QZ_BENCH);

  ASSERT_EQ(rig.desktop.messages.size(), 1u);
  const SimulatedDesktop::ShownMessage& box = rig.desktop.messages[0];
  EXPECT_EQ(box.caption, "QZ Bench Score");
  EXPECT_EQ(box.icon, MessageBoxIcon::kInformation);
  EXPECT_EQ(box.buttons, MessageBoxButtons::kOk);
  // E8400: multiplier 9 from MSR 0x2A over the default 9.
  EXPECT_NE(box.text.find("Your Score          2000\nTime         7.315 secs\nSpeed    3000.00 MHz\n\n"
                          "Performance Timer\nCheckSum Pass"),
            std::string::npos)
      << box.text;
}

TEST(Benchmark, TheWholeProcessMayRunTheWork) {
  BenchmarkRig<> rig;
  rig.processor.SetProcessAffinity(0x2);
  rig.benchmark.Run();
  EXPECT_EQ(rig.processor.ProcessMask(), 0x3u);
  EXPECT_EQ(rig.processor.ThreadMask(), 0x3u);
}

TEST(Benchmark, CoreI7TakesTheMeasuredClockRatio) {
  BenchmarkRig<> rig;
  rig.cpu.signature = 0x106A5;
  rig.cpu.maxMultiplier = 22.0;
  rig.tscMhz = 2933.0;
  rig.tscPerQpcTick = 293.3;
  std::optional<BenchmarkResult> result = rig.benchmark.Run();
  ASSERT_TRUE(result);
  EXPECT_EQ(rig.ratioMeasurements, 1);
  EXPECT_NEAR(result->speedMhz, 2933.0 * 21.5 / 22.0, 1e-9);
}

// Newer processors have no 0x2A: the measured ratio times their own nominal
// multiplier, at least their lowest; without a nominal multiplier the ratio
// scales the time-stamp counter's frequency alone.
TEST(Benchmark, NewerProcessorsTakeTheRatioAndTheirOwnLimits) {
  struct Case {
    double maxMultiplier;
    double minMultiplier;
    double speedMhz;
  } cases[] = {{37, 0, 3650.0}, {37, 37, 3700.0}, {0, 0, 3626.0}};  // 0.98 x 37 = 36.26 -> 36.5
  for (const Case& c : cases) {
    BenchmarkRig<> rig;
    rig.cpu.signature = 0x906EA;
    rig.cpu.newerProcessor = true;
    rig.cpu.maxMultiplier = c.maxMultiplier;
    rig.cpu.minMultiplier = c.minMultiplier;
    rig.tscMhz = 3700.0;
    rig.tscPerQpcTick = 370.0;
    rig.processor.SetRecording(true);
    std::optional<BenchmarkResult> result = rig.benchmark.Run();
    ASSERT_TRUE(result);
    EXPECT_EQ(rig.ratioMeasurements, 1);
    EXPECT_NEAR(result->speedMhz, c.speedMhz, 1e-9) << c.maxMultiplier;
    for (const ProcessorEvent& event : rig.processor.Events()) EXPECT_NE(event.kind, ProcessorEvent::Kind::kReadMsr);
  }
}

TEST(Benchmark, RefusedBusRatioReadTakesTheMeasuredRatio) {
  BenchmarkRig<> rig(1);
  std::optional<BenchmarkResult> result = rig.benchmark.Run();
  ASSERT_TRUE(result);
  EXPECT_EQ(rig.ratioMeasurements, 1);
  EXPECT_NEAR(result->speedMhz, 3000.0, 1e-9);  // 0.98 x 9 to the nearest half step
}

TEST(Benchmark, DisagreeingClocksFallBackToTheTickCount) {
  BenchmarkRig<> rig;
  rig.tscPerQpcTick = 310.0;  // the performance time comes out 7.559 s
  rig.kernelResult = 0x12345678;
  std::optional<BenchmarkResult> result = rig.benchmark.Run();
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->performanceTimer);
  EXPECT_DOUBLE_EQ(result->seconds, 7.315);
  EXPECT_NE(rig.desktop.messages[0].text.find("Standard Timer\nCheckSum Fail"), std::string::npos);
}

TEST(Benchmark, WaitsForTheFirstClockMeasurement) {
  BenchmarkRig<> rig;
  int polls = 0;
  // Below 1 MHz truncates to no measurement yet.
  rig.readMhz = [&] { return ++polls > 3 ? 3000.0 : 0.4; };
  std::optional<BenchmarkResult> result = rig.benchmark.Run();
  ASSERT_TRUE(result);
  EXPECT_EQ(rig.clock.NowMicroseconds(), (3 * 500 + 1 + 7315) * 1000);
  EXPECT_TRUE(result->performanceTimer);
  EXPECT_DOUBLE_EQ(result->speedMhz, 3000.0);
}

TEST(Benchmark, WaitForTheClockIsBoundedAndNeverDividesByZero) {
  BenchmarkRig<> rig;
  rig.tscMhz = 0.0;
  rig.tscPerQpcTick = 0.0;
  std::optional<BenchmarkResult> result = rig.benchmark.Run();
  ASSERT_TRUE(result);
  EXPECT_EQ(rig.clock.NowMicroseconds(), (Benchmark::kClockWaitLimitMs + 1 + 7315) * 1000);
  EXPECT_FALSE(result->performanceTimer);
  EXPECT_DOUBLE_EQ(result->seconds, 7.315);
  const std::string& text = rig.desktop.messages.at(0).text;
  EXPECT_NE(text.find("Your Score          2000\nTime         7.315 secs\nSpeed    0.00 MHz\n\nStandard Timer\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("inf"), std::string::npos);
  EXPECT_EQ(text.find("nan"), std::string::npos);
}

TEST(Benchmark, NoPerformanceCounterMeansNoRunAndNoReport) {
  BenchmarkRig<FailingCounterClock> rig;
  EXPECT_FALSE(rig.benchmark.Run());
  EXPECT_EQ(rig.kernelMultiplier, 0);
  EXPECT_TRUE(rig.desktop.messages.empty());
  EXPECT_EQ(rig.mainWindow.HistoryOf(IDC_QZ_BENCH), (std::vector<std::string>{"Wait...", "QZ Bench"}));
  EXPECT_TRUE(rig.mainWindow.IsEnabled(IDC_QZ_BENCH));
}

}  // namespace
}  // namespace korvath
