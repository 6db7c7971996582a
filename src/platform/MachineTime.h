// The true time of a machine that a simulated processor's counters follow:
// the simulated clock in the tests, the performance counter when a simulated
// processor runs inside a real Windows process.
#pragma once

#include <cstdint>

namespace korvath {

class MachineTime {
 public:
  virtual ~MachineTime() = default;
  virtual int64_t NowMicroseconds() const = 0;
};

}  // namespace korvath
