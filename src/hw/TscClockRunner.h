// Runs the clock measurement on a thread of its own for the product's
// lifetime, and stops it at shutdown.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace korvath {

class TscClockThread;

class TscClockRunner {
 public:
  // onThreadStart runs first on the new thread; the product raises the
  // thread to time-critical priority there.
  explicit TscClockRunner(TscClockThread& clock, std::function<void()> onThreadStart = {});
  ~TscClockRunner();
  TscClockRunner(const TscClockRunner&) = delete;
  TscClockRunner& operator=(const TscClockRunner&) = delete;

  void Start();
  // Waits for the pass under way to end (at most about 380 ms).
  void Stop();
  bool IsRunning() const { return thread_.joinable(); }

 private:
  void Loop();

  TscClockThread& clock_;
  std::function<void()> onThreadStart_;
  std::atomic<bool> stopRequested_{false};
  std::thread thread_;
};

}  // namespace korvath
