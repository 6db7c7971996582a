#include "platform/win32/Win32Threads.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

namespace korvath {
namespace {

TEST(Win32Threads, WorkerRunsAtItsPriorityFromTheFirstStep) {
  Win32Threads threads;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(done, nullptr);
  std::atomic<int> seenPriority{12345};
  std::unique_ptr<WorkerThread> worker = threads.Start(kThreadPriorityIdle, [&] {
    seenPriority = GetThreadPriority(GetCurrentThread());
    SetEvent(done);
  });
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0);
  worker->Join();
  EXPECT_EQ(seenPriority.load(), THREAD_PRIORITY_IDLE);
  CloseHandle(done);
}

TEST(Win32Threads, CallingThreadPriorityRoundTrips) {
  static_assert(kThreadPriorityIdle == THREAD_PRIORITY_IDLE && kThreadPriorityHighest == THREAD_PRIORITY_HIGHEST &&
                kThreadPriorityNormal == THREAD_PRIORITY_NORMAL &&
                kThreadPriorityTimeCritical == THREAD_PRIORITY_TIME_CRITICAL);
  Win32Threads threads;
  int saved = threads.CurrentPriority();
  threads.SetCurrentPriority(kThreadPriorityHighest);
  EXPECT_EQ(threads.CurrentPriority(), kThreadPriorityHighest);
  threads.SetCurrentPriority(saved);
  EXPECT_EQ(threads.CurrentPriority(), saved);
}

}  // namespace
}  // namespace korvath
