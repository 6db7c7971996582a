#include "app/SimulatedTscClock.h"

namespace korvath {
namespace {

// 1 + 125 + 1 + 250 ms of sleeping.
constexpr int64_t kPassMicroseconds = 377'000;

}  // namespace

SimulatedTscClock::SimulatedTscClock(const MachineDescription& machine, const SimulatedClock& runClock)
    : runClock_(runClock),
      processor_(machine, &clock_),
      thread_(processor_, clock_, published_, [this] { clock_.AdvanceMicroseconds(kBusyLoopMicroseconds); }) {}

void SimulatedTscClock::Start() {
  clock_.AdvanceMicroseconds(runClock_.NowMicroseconds() - clock_.NowMicroseconds());
  thread_.Start();
  started_ = true;
}

void SimulatedTscClock::CatchUp() {
  if (!started_) return;
  while (clock_.NowMicroseconds() + kPassMicroseconds <= runClock_.NowMicroseconds()) thread_.RunPass();
}

}  // namespace korvath
