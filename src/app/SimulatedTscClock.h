// The clock thread of a simulated run. It gets a processor and a clock of
// its own, as a thread has its own affinity and its own sleeps, and is kept
// in step with the run's clock, so that it has measured what the real
// thread would have measured by the same moment.
#pragma once

#include "hw/TscClock.h"
#include "platform/sim/MachineDescription.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {

class SimulatedTscClock {
 public:
  // Simulated time the start-up busy loop takes; a real one takes a few ms.
  static constexpr int64_t kBusyLoopMicroseconds = 5'000;

  SimulatedTscClock(const MachineDescription& machine, const SimulatedClock& runClock);

  // Starts at the run clock's present time.
  void Start();
  // Runs every pass that has ended by the run clock's present time.
  void CatchUp();

  const TscMeasurements& measurements() const { return published_; }

 private:
  const SimulatedClock& runClock_;
  SimulatedClock clock_;
  SimulatedProcessor processor_;
  TscMeasurements published_;
  TscClockThread thread_;
  bool started_ = false;
};

}  // namespace korvath
