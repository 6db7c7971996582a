// The time-stamp counter's frequency, measured on a thread of its own
// against sleeps and the performance counter, and published for the clock
// display and the benchmark.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace korvath {

class Processor;
class TimeSource;

// What the clock thread publishes; any thread may read it at any time.
struct TscMeasurements {
  std::atomic<double> tscMhz{0.0};
  // Time-stamp counter ticks per performance-counter tick over the latest
  // 250 ms interval.
  std::atomic<double> tscPerQpcTick{0.0};
};

// When the two sleep-based rates agree within 0.3 % and the performance
// counter's estimate is 2 MHz or more away from them, the sleep-based rate
// wins. All values in kHz.
int64_t CrossCheckEstimate(int64_t rate125, int64_t rate250, int64_t estimate);

// The measurement loop. Start() takes the first figure from a busy loop;
// each RunPass() (about 377 ms of sleeping) adds one sample to a history of
// eight and publishes their average only while all eight agree within
// 500 kHz, so that a disturbed pass never reaches the display.
class TscClockThread {
 public:
  using BusyLoop = std::function<void()>;

  // The 2^22 iterations of integer arithmetic that the first figure is
  // timed over.
  static void SpinBusyLoop();

  TscClockThread(Processor& processor, TimeSource& time, TscMeasurements& published,
                 BusyLoop busyLoop = SpinBusyLoop);

  // Pins the calling thread (never the process: the user-interface thread
  // pins and restores its own thread inside the process mask) to processor 0.
  void Start();
  void RunPass();
  // Start() and then passes RunPass() calls, on the calling thread.
  void Run(int passes);

  int64_t HistoryAverageKhz() const { return sum_ >> 3; }

 private:
  static constexpr int kHistorySize = 8;

  // One sleep-timed interval: time-stamp ticks and performance-counter ticks.
  struct Interval {
    int64_t tscTicks = 0;
    int64_t counterTicks = 0;
  };
  Interval Measure(uint32_t sleepMilliseconds);
  void Publish();

  Processor& processor_;
  TimeSource& time_;
  TscMeasurements& published_;
  BusyLoop busyLoop_;
  int64_t frequency_ = 0;  // performance-counter ticks per second
  int64_t history_[kHistorySize] = {};
  int64_t sum_ = 0;
  int newest_ = 0;
};

}  // namespace korvath
