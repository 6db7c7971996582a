// Every reading of the run, kept in memory: the last hour once a second and
// the last day as one-minute minimum, average and maximum, per series. All
// memory is taken when the store is made; recording never allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "history/HistorySeries.h"

namespace korvath {

inline constexpr int kHistorySeconds = 3600;
inline constexpr int kHistoryMinutes = 1440;
// Values are kept in tenths (of a degree, of a percent); this one is a gap.
inline constexpr int16_t kHistoryGap = INT16_MIN;
inline constexpr int64_t kNoHistoryTime = INT64_MIN;

// One minute of one series; all three are kHistoryGap when nothing was read.
struct MinuteSummary {
  int16_t minimum = kHistoryGap;
  int16_t average = kHistoryGap;
  int16_t maximum = kHistoryGap;
};

class HistoryStore {
 public:
  explicit HistoryStore(std::vector<HistorySeries> series);

  size_t SeriesCount() const { return series_.size(); }
  const HistorySeries& Series(size_t index) const { return series_[index]; }

  // The readings of one second (seconds since 1970 UTC), one per series in
  // tenths, kHistoryGap for a failed reading. A second recorded twice keeps
  // the later values and counts once in its minute.
  void Record(int64_t second, std::span<const int16_t> values);

  // The newest second recorded, kNoHistoryTime before the first.
  int64_t Latest() const { return latest_; }
  // The value of a second of the last hour, kHistoryGap when none is kept.
  int16_t SecondValue(size_t series, int64_t second) const;
  // Whether anything was recorded for the second (it is still kept).
  bool HasSecond(int64_t second) const;
  // A minute (seconds / 60, floored) of the last day.
  MinuteSummary Minute(size_t series, int64_t minute) const;
  bool HasMinute(int64_t minute) const;

 private:
  struct MinuteCell {
    int16_t minimum;
    int16_t maximum;
    int32_t sum;
    int32_t count;
  };

  std::vector<HistorySeries> series_;
  std::vector<int64_t> secondStamps_;  // which second each slot holds
  std::vector<int16_t> seconds_;       // series-major: [series][slot]
  std::vector<int64_t> minuteStamps_;
  std::vector<MinuteCell> minutes_;    // series-major as well
  int64_t latest_ = kNoHistoryTime;
};

// Floored division and remainder: times before 1970 land in the right slot.
int64_t FloorDiv(int64_t value, int64_t divisor);
int64_t FloorMod(int64_t value, int64_t divisor);

}  // namespace korvath
