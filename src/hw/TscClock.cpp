#include "hw/TscClock.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/Processor.h"
#include "platform/TimeSource.h"

namespace korvath {
namespace {

constexpr int kBusyLoopIterations = 1 << 22;
constexpr uint32_t kProcessorZero = 0x1;
constexpr int64_t kAgreementKhz = 500;
// Far above any real clock; keeps a wild reading from overflowing the
// history's 64-bit arithmetic.
constexpr double kLargestKhz = 1e12;

bool IsUsableKhz(double khz) { return std::isfinite(khz) && std::fabs(khz) < kLargestKhz; }

}  // namespace

int64_t CrossCheckEstimate(int64_t rate125, int64_t rate250, int64_t estimate) {
  // A rate of 0 or one too large to scale leaves nothing to compare with.
  if (rate125 == 0 || std::llabs(rate250) > std::numeric_limits<int64_t>::max() / 1000) return estimate;
  int64_t agreement = rate250 * 1000 / rate125;
  if (agreement > 997 && agreement < 1003 && std::llabs(rate250 - estimate) >= 2000) return rate250;
  return estimate;
}

void TscClockThread::SpinBusyLoop() {
  volatile uint32_t value = 1;
  for (int i = 0; i < kBusyLoopIterations; ++i) value = value * 1664525u + 1013904223u;
}

TscClockThread::TscClockThread(Processor& processor, TimeSource& time, TscMeasurements& published,
                               BusyLoop busyLoop)
    : processor_(processor), time_(time), published_(published), busyLoop_(std::move(busyLoop)) {}

void TscClockThread::Start() {
  processor_.SetThreadAffinity(kProcessorZero);
  processor_.YieldToScheduler();
  frequency_ = time_.PerformanceFrequency();

  time_.Sleep(1);
  int64_t c0 = time_.PerformanceCounter();
  uint64_t t0 = processor_.ReadTsc();
  busyLoop_();
  int64_t c1 = time_.PerformanceCounter();
  uint64_t t1 = processor_.ReadTsc();

  // Without a performance-counter interval there is no first figure; the
  // history then starts at 0 and the passes have to fill it.
  double mhz = 0;
  if (c1 > c0 && frequency_ > 0) {
    mhz = static_cast<double>(static_cast<int64_t>(t1 - t0)) * static_cast<double>(frequency_) /
          (static_cast<double>(c1 - c0) * 1e6);
    if (!IsUsableKhz(mhz * 1000)) mhz = 0;
  }
  published_.tscMhz.store(mhz);
  int64_t khz = static_cast<int64_t>(mhz * 1000);
  for (int64_t& sample : history_) sample = khz;
  sum_ = kHistorySize * khz;
  newest_ = 0;
}

TscClockThread::Interval TscClockThread::Measure(uint32_t sleepMilliseconds) {
  time_.Sleep(1);
  int64_t c0 = time_.PerformanceCounter();
  uint64_t t0 = processor_.ReadTsc();
  time_.Sleep(sleepMilliseconds);
  int64_t c1 = time_.PerformanceCounter();
  uint64_t t1 = processor_.ReadTsc();
  return {static_cast<int64_t>(t1 - t0), c1 - c0};
}

void TscClockThread::RunPass() {
  int64_t rate125 = Measure(125).tscTicks / 125;
  Interval interval = Measure(250);
  int64_t rate250 = interval.tscTicks / 250;
  // A performance counter that stood still or went back gives no rate; the
  // pass is dropped rather than dividing by it.
  if (interval.counterTicks <= 0) return;
  double perQpcTick = static_cast<double>(interval.tscTicks) / static_cast<double>(interval.counterTicks);
  published_.tscPerQpcTick.store(perQpcTick);
  double estimateKhz = static_cast<double>(frequency_) * perQpcTick * 0.001;
  if (!IsUsableKhz(estimateKhz)) return;
  int64_t estimate = CrossCheckEstimate(rate125, rate250, static_cast<int64_t>(estimateKhz));

  newest_ = newest_ + 1 > kHistorySize - 1 ? 0 : newest_ + 1;
  sum_ = sum_ - history_[newest_] + estimate;
  history_[newest_] = estimate;
  Publish();
}

void TscClockThread::Publish() {
  int64_t average = HistoryAverageKhz();
  for (int64_t sample : history_) {
    if (std::llabs(sample - average) > kAgreementKhz) return;
  }
  published_.tscMhz.store(static_cast<double>(average) * 0.001);
}

void TscClockThread::Run(int passes) {
  Start();
  for (int pass = 0; pass < passes; ++pass) RunPass();
}

}  // namespace korvath
