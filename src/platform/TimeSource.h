// The seam to time: local calendar time, the tick count, the performance
// counter and sleeping.
#pragma once

#include <cstdint>
#include <ctime>

namespace korvath {

class TimeSource {
 public:
  virtual ~TimeSource() = default;

  // Local calendar time with one-second resolution, as localtime() gives it.
  virtual std::tm LocalNow() = 0;
  // Seconds since 1970-01-01 UTC, for files read on other machines.
  virtual int64_t UnixTime() = 0;
  // Milliseconds since some start, wrapping at 2^32 like GetTickCount.
  virtual uint32_t TickCount() = 0;
  virtual int64_t PerformanceCounter() = 0;
  virtual int64_t PerformanceFrequency() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace korvath
