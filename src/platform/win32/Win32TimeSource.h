// The real clock: local time, the tick count and the performance counter.
#pragma once

#include "platform/TimeSource.h"

namespace korvath {

class Win32TimeSource : public TimeSource {
 public:
  std::tm LocalNow() override;
  int64_t UnixTime() override;
  uint32_t TickCount() override;
  int64_t PerformanceCounter() override;
  int64_t PerformanceFrequency() override;
  void Sleep(uint32_t milliseconds) override;
};

}  // namespace korvath
