#include "history/HistoryStore.h"

#include <gtest/gtest.h>

#include <array>

namespace korvath {
namespace {

constexpr int64_t kT0 = 1'765'000'020;  // a whole minute
constexpr int64_t kMinute0 = kT0 / 60;

HistoryStore TwoSeries() { return HistoryStore({{"Core 0", SeriesKind::kCore}, {"Load", SeriesKind::kLoad}}); }

TEST(HistoryStore, KeepsTheLastHourOfSecondsAndWrapsOverTheOldest) {
  HistoryStore store = TwoSeries();
  for (int64_t t = kT0; t < kT0 + kHistorySeconds + 5; ++t) {
    std::array<int16_t, 2> values = {static_cast<int16_t>(t - kT0), 7};
    store.Record(t, values);
  }
  EXPECT_EQ(store.Latest(), kT0 + kHistorySeconds + 4);
  // The first five seconds were overwritten by the five after the hour.
  EXPECT_FALSE(store.HasSecond(kT0 + 4));
  EXPECT_EQ(store.SecondValue(0, kT0 + 4), kHistoryGap);
  EXPECT_EQ(store.SecondValue(0, kT0 + 5), 5);
  EXPECT_EQ(store.SecondValue(0, kT0 + kHistorySeconds + 4), kHistorySeconds + 4);
  EXPECT_EQ(store.SecondValue(1, kT0 + 100), 7);
  // A second that was never recorded, and a series that does not exist.
  EXPECT_EQ(store.SecondValue(0, kT0 + kHistorySeconds + 10), kHistoryGap);
  EXPECT_EQ(store.SecondValue(2, kT0 + 100), kHistoryGap);
}

TEST(HistoryStore, MinutesKeepMinimumAverageAndMaximumAndFailedReadsAreGaps) {
  HistoryStore store = TwoSeries();
  int64_t start = kMinute0 * 60;
  const int16_t readings[] = {450, kHistoryGap, 470, 455};
  for (int i = 0; i < 4; ++i) {
    std::array<int16_t, 2> values = {readings[i], kHistoryGap};
    store.Record(start + i, values);
  }
  // The same second again replaces the value and is counted once.
  std::array<int16_t, 2> again = {460, kHistoryGap};
  store.Record(start + 3, again);
  EXPECT_EQ(store.SecondValue(0, start + 1), kHistoryGap);
  EXPECT_TRUE(store.HasSecond(start + 1));
  EXPECT_EQ(store.SecondValue(0, start + 3), 460);
  MinuteSummary minute = store.Minute(0, kMinute0);
  EXPECT_EQ(minute.minimum, 450);
  EXPECT_EQ(minute.average, 458);  // (450 + 470 + 455) / 3 = 458.3
  EXPECT_EQ(minute.maximum, 470);
  // A series with nothing read in the minute has no summary.
  EXPECT_EQ(store.Minute(1, kMinute0).average, kHistoryGap);
  EXPECT_TRUE(store.HasMinute(kMinute0));
  EXPECT_FALSE(store.HasMinute(kMinute0 + 1));
}

TEST(HistoryStore, KeepsADayOfMinutesAndStartsAMinuteAfresh) {
  HistoryStore store = TwoSeries();
  for (int64_t m = 0; m < kHistoryMinutes + 2; ++m) {
    std::array<int16_t, 2> values = {static_cast<int16_t>(m % 100), 0};
    store.Record((kMinute0 + m) * 60 + 30, values);
  }
  EXPECT_FALSE(store.HasMinute(kMinute0 + 1));
  EXPECT_EQ(store.Minute(0, kMinute0 + 2).average, 2);
  // The minute that took minute 0's place holds only its own reading.
  MinuteSummary wrapped = store.Minute(0, kMinute0 + kHistoryMinutes);
  EXPECT_EQ(wrapped.minimum, kHistoryMinutes % 100);
  EXPECT_EQ(wrapped.maximum, kHistoryMinutes % 100);
}

TEST(FloorArithmetic, RoundsTowardsMinusInfinity) {
  EXPECT_EQ(FloorDiv(-1, 60), -1);
  EXPECT_EQ(FloorMod(-1, 3600), 3599);
  EXPECT_EQ(FloorDiv(119, 60), 1);
}

}  // namespace
}  // namespace korvath
