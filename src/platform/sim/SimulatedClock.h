// A TimeSource whose time advances only when told (or when something sleeps).
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/MachineTime.h"
#include "platform/TimeSource.h"

namespace korvath {

class SimulatedClock : public TimeSource, public MachineTime {
 public:
  // The performance counter of the simulated machine runs at 10 MHz.
  static constexpr int64_t kPerformanceFrequency = 10'000'000;

  // Starts at the given local calendar time (normalised), tick count 0.
  explicit SimulatedClock(const std::tm& start = DefaultStart());

  static std::tm DefaultStart();  // Mon Dec 7 2026, 12:00:00

  void AdvanceMicroseconds(int64_t microseconds) { nowMicroseconds_ += microseconds; }
  void AdvanceMilliseconds(int64_t milliseconds) { AdvanceMicroseconds(milliseconds * 1000); }
  int64_t NowMicroseconds() const override { return nowMicroseconds_; }
  // Extra ticks added to every performance-counter reading, to disturb a
  // measurement on purpose.
  void SetPerformanceCounterSkew(int64_t ticks) { performanceCounterSkew_ = ticks; }
  // Extra ticks only for readings taken while the simulated time lies in
  // [fromMicroseconds, toMicroseconds): one interval of a measurement goes
  // wrong while the time-stamp counter keeps the true time.
  void SkewPerformanceCounterBetween(int64_t fromMicroseconds, int64_t toMicroseconds, int64_t ticks) {
    skewWindowFrom_ = fromMicroseconds;
    skewWindowTo_ = toMicroseconds;
    skewWindowTicks_ = ticks;
  }

  std::tm LocalNow() override;
  // The simulated machine's local time is taken as UTC.
  int64_t UnixTime() override { return startSecondsOfEpoch_ + nowMicroseconds_ / 1'000'000; }
  uint32_t TickCount() override;
  int64_t PerformanceCounter() override;
  int64_t PerformanceFrequency() override { return kPerformanceFrequency; }
  void Sleep(uint32_t milliseconds) override { AdvanceMilliseconds(milliseconds); }

 private:
  int64_t startSecondsOfEpoch_;  // days-from-civil arithmetic, no time zone
  int64_t nowMicroseconds_ = 0;
  int64_t performanceCounterSkew_ = 0;
  int64_t skewWindowFrom_ = 0;
  int64_t skewWindowTo_ = 0;
  int64_t skewWindowTicks_ = 0;
};

// Calendar arithmetic without the C library's time zone: seconds since
// 1970-01-01 of a broken-down time, and back.
int64_t CivilToSeconds(const std::tm& time);
std::tm SecondsToCivil(int64_t seconds);

}  // namespace korvath
