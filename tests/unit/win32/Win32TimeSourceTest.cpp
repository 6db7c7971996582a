#include "platform/win32/Win32TimeSource.h"

#include <gtest/gtest.h>

namespace korvath {
namespace {

TEST(Win32TimeSource, ClocksAdvanceAcrossASleep) {
  Win32TimeSource time;
  int64_t frequency = time.PerformanceFrequency();
  ASSERT_GT(frequency, 0);
  int64_t counter = time.PerformanceCounter();
  uint32_t tick = time.TickCount();
  time.Sleep(100);
  // Elapsed time by both clocks, allowing for a coarse tick count.
  double counted = static_cast<double>(time.PerformanceCounter() - counter) / static_cast<double>(frequency);
  EXPECT_GE(counted, 0.09);
  EXPECT_LT(counted, 5.0);
  EXPECT_GE(time.TickCount() - tick, 80u);

  std::tm now = time.LocalNow();
  EXPECT_GE(now.tm_year + 1900, 2024);
  EXPECT_TRUE(now.tm_mon >= 0 && now.tm_mon <= 11);
  EXPECT_TRUE(now.tm_mday >= 1 && now.tm_mday <= 31);
}

}  // namespace
}  // namespace korvath
