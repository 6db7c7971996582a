// Simulated machine time that follows the real performance counter, so that
// a simulated processor in a real Windows process counts on in real time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/MachineTime.h"

namespace korvath {

class PerformanceCounterTime : public MachineTime {
 public:
  PerformanceCounterTime() {
    QueryPerformanceFrequency(&frequency_);
    if (frequency_.QuadPart <= 0) frequency_.QuadPart = 1;
  }
  int64_t NowMicroseconds() const override {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(static_cast<long double>(now.QuadPart) * 1e6L / frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{};
};

}  // namespace korvath
