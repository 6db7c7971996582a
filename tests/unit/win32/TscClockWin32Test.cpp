// The clock thread on a real Windows thread, processor and performance
// counter: the product's way of running it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "hw/TscClock.h"
#include "hw/TscClockRunner.h"
#include "platform/win32/Win32Processor.h"
#include "platform/win32/Win32Threads.h"
#include "platform/win32/Win32TimeSource.h"

namespace korvath {
namespace {

TEST(TscClockWin32, MeasuresTheRealCounterAtTimeCriticalPriority) {
  Win32Processor processor(L"");  // no hardware-access library: the clock needs none
  Win32TimeSource time;
  Win32Threads threads;
  TscMeasurements published;
  TscClockThread clock(processor, time, published);
  std::atomic<int> priority{12345};
  TscClockRunner runner(clock, [&] {
    threads.SetCurrentPriority(kThreadPriorityTimeCritical);
    priority = GetThreadPriority(GetCurrentThread());
  });
  runner.Start();
  // Two passes publish the performance-counter ratio.
  for (int waited = 0; waited < 10000 && published.tscPerQpcTick.load() == 0.0; waited += 50) Sleep(50);
  runner.Stop();
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(priority.load(), THREAD_PRIORITY_TIME_CRITICAL);

  double busyLoopMhz = published.tscMhz.load();
  double counterMhz = published.tscPerQpcTick.load() * static_cast<double>(time.PerformanceFrequency()) / 1e6;
  EXPECT_GT(busyLoopMhz, 50.0);
  EXPECT_LT(busyLoopMhz, 20000.0);
  // Both figures measure the same counter, over a busy loop and over a sleep.
  EXPECT_NEAR(counterMhz, busyLoopMhz, busyLoopMhz * 0.2);
}

}  // namespace
}  // namespace korvath
