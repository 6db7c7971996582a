#include "hw/TscClockRunner.h"

#include "hw/TscClock.h"

namespace korvath {

TscClockRunner::TscClockRunner(TscClockThread& clock, std::function<void()> onThreadStart)
    : clock_(clock), onThreadStart_(std::move(onThreadStart)) {}

TscClockRunner::~TscClockRunner() { Stop(); }

void TscClockRunner::Start() {
  if (thread_.joinable()) return;
  stopRequested_.store(false);
  thread_ = std::thread([this] { Loop(); });
}

void TscClockRunner::Stop() {
  stopRequested_.store(true);
  if (thread_.joinable()) thread_.join();
}

void TscClockRunner::Loop() {
  if (onThreadStart_) onThreadStart_();
  clock_.Start();
  while (!stopRequested_.load()) clock_.RunPass();
}

}  // namespace korvath
