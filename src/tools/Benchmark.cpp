#include "tools/Benchmark.h"

#include <cmath>

#include "hw/ClockDisplay.h"
#include "hw/MsrAccess.h"
#include "hw/TscClock.h"
#include "platform/ControlSurface.h"
#include "platform/Desktop.h"
#include "platform/Processor.h"
#include "platform/TextFormat.h"
#include "platform/Threads.h"
#include "platform/TimeSource.h"
#include "resources/resource.h"
#include "tools/WorkKernel.h"

namespace korvath {
namespace {

constexpr int kBenchmarkMultiplier = 2;
// 1000 points are this many seconds, the reference processor's time.
constexpr double kScoreSeconds = 14630.0;
constexpr double kTimerTolerance = 0.016;
// Keeps a difference of exactly 16 ms, as the clocks measure it, from being
// pushed over the limit by the rounding of the two conversions.
constexpr double kRoundingSlack = 1e-9;

}  // namespace

ClockReadings ReadingsOf(const TscMeasurements& published) {
  return {[&published] { return published.tscMhz.load(); }, [&published] { return published.tscPerQpcTick.load(); }};
}

double BenchmarkMultiplier(int signature, double clockRatio, double defaultMultiplier,
                           uint32_t powerOnConfigurationLow) {
  if (signature == 0x106A4 || signature == 0x106A5) {
    double nearestHalf = std::trunc(clockRatio * defaultMultiplier * 2.0 + 0.5) * 0.5;
    return nearestHalf < 12.0 ? 12.0 : nearestHalf;
  }
  double multiplier = static_cast<double>((powerOnConfigurationLow >> 22) & 0x1F);
  if (powerOnConfigurationLow & 0x40000) multiplier += 0.5;
  return multiplier;
}

BenchmarkTime ChooseBenchmarkTime(std::optional<double> performanceSeconds, double tickSeconds) {
  if (performanceSeconds && std::isfinite(*performanceSeconds) &&
      std::fabs(*performanceSeconds - tickSeconds) <= kTimerTolerance + kRoundingSlack) {
    return {*performanceSeconds, true};
  }
  return {tickSeconds, false};
}

std::string FormatBenchmarkReport(const BenchmarkResult& result) {
  // A run too short for the tick count to see has no meaningful score.
  double score = result.seconds > 0.0 ? kScoreSeconds / result.seconds : 0.0;
  std::string text;
  text += "Base Score          1000\n";
  text += "E8400         3000 MHz         \n\n";
  text += "High Score          1848\n";
  text += "Time           7.915 secs\n";
  text += "i7 940     4600.05 MHz\n";
  text += "jbn     QuazelleBoard\n\n";
  text += Format("Your Score   %11.0f\n", score);
  text += Format("Time         %.3f secs\n", result.seconds);
  text += Format("Speed    %.2f MHz\n\n", result.speedMhz);
  text += result.performanceTimer ? "Performance Timer\n" : "Standard Timer\n";
  text += result.checksumPassed ? "CheckSum Pass" : "CheckSum Fail";
  return text;
}

Benchmark::Benchmark(MsrAccess& access, TimeSource& time, Threads& threads, Desktop& desktop,
                     ControlSurface& mainWindow, ClockReadings clock,
                     std::function<double()> measureCoreRatios)
    : access_(access),
      time_(time),
      threads_(threads),
      desktop_(desktop),
      mainWindow_(mainWindow),
      clock_(std::move(clock)),
      measureCoreRatios_(std::move(measureCoreRatios)),
      kernel_([](int multiplier) { return WorkKernel(multiplier); }) {}

std::optional<BenchmarkResult> Benchmark::Run() {
  mainWindow_.SetText(IDC_QZ_BENCH, "Wait...");
  mainWindow_.Enable(IDC_QZ_BENCH, false);
  std::optional<BenchmarkResult> result;
  if (time_.PerformanceFrequency() > 0) result = Measure(WaitForClock());
  mainWindow_.SetText(IDC_QZ_BENCH, "QZ Bench");
  mainWindow_.Enable(IDC_QZ_BENCH, true);
  mainWindow_.SetFocus(IDC_QZ_BENCH);
  return result;
}

// The clock thread needs about a second for its first measurement; a thread
// that never delivers one must not hang the window, so the wait is bounded
// and the run goes ahead on the tick count alone.
double Benchmark::WaitForClock() {
  double mhz = clock_.tscMhz();
  for (uint32_t waited = 0; std::trunc(mhz) == 0.0 && waited < kClockWaitLimitMs; waited += kClockPollMs) {
    time_.Sleep(kClockPollMs);
    mhz = clock_.tscMhz();
  }
  return std::trunc(mhz) == 0.0 || !std::isfinite(mhz) ? 0.0 : mhz;
}

std::optional<BenchmarkResult> Benchmark::Measure(double tscMhz) {
  Processor& processor = access_.processor();
  const CpuInfo& cpu = access_.cpu();

  int savedPriority = threads_.CurrentPriority();
  access_.RestoreAffinity();
  processor.YieldToScheduler();
  threads_.SetCurrentPriority(kThreadPriorityHighest);
  processor.YieldToScheduler();

  mainWindow_.SetText(IDC_QZ_BENCH, "Testing...");
  time_.Sleep(1);

  uint32_t tick0 = time_.TickCount();
  int64_t counter0 = time_.PerformanceCounter();
  uint32_t checksum = kernel_(kBenchmarkMultiplier);
  uint32_t powerOnLow = 0;
  uint32_t powerOnHigh = 0;
  // Newer processors have no 0x2A; their multiplier comes from the counters.
  const bool newer = cpu.newerProcessor;
  bool powerOnRead = !newer && access_.ReadMsr(kMsrEblCrPowerOn, &powerOnLow, &powerOnHigh);
  uint32_t tick1 = time_.TickCount();
  int64_t counter1 = time_.PerformanceCounter();
  threads_.SetCurrentPriority(savedPriority);

  // Without the bus ratio field (a refused read gives 0, a speed of 0 MHz)
  // the measured clock ratio stands in for it, as it does on Core i7.
  const bool nominal = cpu.HasNominalMultiplier();
  bool byRatio = newer || cpu.IsCoreI7() || !powerOnRead || !nominal;
  double ratio = byRatio && measureCoreRatios_ ? measureCoreRatios_() : 1.0;
  double multiplier = 0;
  if (newer) {
    multiplier = CountersMultiplier(cpu, ratio);
  } else if (powerOnRead || cpu.IsCoreI7()) {
    multiplier = BenchmarkMultiplier(cpu.signature, ratio, cpu.maxMultiplier, powerOnLow);
  } else {
    multiplier = std::trunc(ratio * cpu.maxMultiplier * 2.0 + 0.5) * 0.5;
  }

  mainWindow_.SetText(IDC_QZ_BENCH, "Done");

  std::optional<double> performanceSeconds;
  if (tscMhz > 0.0) {
    performanceSeconds = static_cast<double>(counter1 - counter0) * clock_.tscPerQpcTick() / (tscMhz * 1000000.0);
  }
  double tickSeconds = static_cast<double>(tick1 - tick0) * 0.001;

  BenchmarkResult result;
  BenchmarkTime time = ChooseBenchmarkTime(performanceSeconds, tickSeconds);
  result.seconds = time.seconds;
  result.performanceTimer = time.performanceTimer;
  // Without a nominal multiplier the measured ratio of the counters to the
  // time-stamp counter is all there is to scale the frequency by.
  result.speedMhz = nominal ? tscMhz * multiplier / cpu.maxMultiplier : tscMhz * ratio;
  result.checksumPassed = checksum == kBenchmarkChecksum;

  desktop_.ShowMessageBox(FormatBenchmarkReport(result), "QZ Bench Score", MessageBoxIcon::kInformation,
                          MessageBoxButtons::kOk);
  return result;
}

}  // namespace korvath
