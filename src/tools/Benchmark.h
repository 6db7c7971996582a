// The "QZ Bench" button: the work kernel timed with two clocks at raised
// priority, and a score against a reference processor.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace korvath {

class ControlSurface;
class Desktop;
class MsrAccess;
class Threads;
class TimeSource;
struct TscMeasurements;

// Published by the clock-measuring thread; read, never written, here.
struct ClockReadings {
  std::function<double()> tscMhz;
  std::function<double()> tscPerQpcTick;
};

// Reads what the clock thread publishes, as it is at each call.
ClockReadings ReadingsOf(const TscMeasurements& published);

struct BenchmarkResult {
  double seconds = 0.0;
  bool performanceTimer = false;
  double speedMhz = 0.0;
  bool checksumPassed = false;
};

// The clock-modulation-independent multiplier the run is reported at:
// from the measured clock ratio on Core i7, else from MSR 0x2A.
double BenchmarkMultiplier(int signature, double clockRatio, double defaultMultiplier,
                           uint32_t powerOnConfigurationLow);

struct BenchmarkTime {
  double seconds = 0.0;
  bool performanceTimer = false;
};

// The performance counter is trusted unless it disagrees with the tick count
// by more than 16 ms, or there is no clock frequency to convert it with.
BenchmarkTime ChooseBenchmarkTime(std::optional<double> performanceSeconds, double tickSeconds);

// The text of the "QZ Bench Score" box.
std::string FormatBenchmarkReport(const BenchmarkResult& result);

class Benchmark {
 public:
  using Kernel = std::function<uint32_t(int multiplier)>;

  // The first clock measurement is waited for this long at most.
  static constexpr uint32_t kClockWaitLimitMs = 10000;
  static constexpr uint32_t kClockPollMs = 500;

  Benchmark(MsrAccess& access, TimeSource& time, Threads& threads, Desktop& desktop,
            ControlSurface& mainWindow, ClockReadings clock, std::function<double()> measureCoreRatios);

  // Tests replace the kernel to control how long it takes.
  void SetKernel(Kernel kernel) { kernel_ = std::move(kernel); }

  // The button handler; shows the report box and returns what it showed,
  // nothing when the performance counter is unavailable.
  std::optional<BenchmarkResult> Run();

 private:
  double WaitForClock();
  std::optional<BenchmarkResult> Measure(double tscMhz);

  MsrAccess& access_;
  TimeSource& time_;
  Threads& threads_;
  Desktop& desktop_;
  ControlSurface& mainWindow_;
  ClockReadings clock_;
  std::function<double()> measureCoreRatios_;
  Kernel kernel_;
};

}  // namespace korvath
