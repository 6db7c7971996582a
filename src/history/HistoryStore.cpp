#include "history/HistoryStore.h"

#include <algorithm>
#include <utility>

namespace korvath {

int64_t FloorDiv(int64_t value, int64_t divisor) {
  int64_t quotient = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) --quotient;
  return quotient;
}

int64_t FloorMod(int64_t value, int64_t divisor) { return value - FloorDiv(value, divisor) * divisor; }

HistoryStore::HistoryStore(std::vector<HistorySeries> series)
    : series_(std::move(series)),
      secondStamps_(kHistorySeconds, kNoHistoryTime),
      seconds_(series_.size() * kHistorySeconds, kHistoryGap),
      minuteStamps_(kHistoryMinutes, kNoHistoryTime),
      minutes_(series_.size() * kHistoryMinutes, MinuteCell{kHistoryGap, kHistoryGap, 0, 0}) {}

void HistoryStore::Record(int64_t second, std::span<const int16_t> values) {
  size_t slot = static_cast<size_t>(FloorMod(second, kHistorySeconds));
  bool repeated = secondStamps_[slot] == second;
  secondStamps_[slot] = second;
  size_t count = std::min(values.size(), series_.size());
  for (size_t s = 0; s < series_.size(); ++s) {
    seconds_[s * kHistorySeconds + slot] = s < count ? values[s] : kHistoryGap;
  }
  // A wall clock set back starts the window again from where it now is.
  latest_ = latest_ == kNoHistoryTime || second > latest_ || second < latest_ - kHistorySeconds ? second : latest_;
  if (repeated) return;

  int64_t minute = FloorDiv(second, 60);
  size_t minuteSlot = static_cast<size_t>(FloorMod(minute, kHistoryMinutes));
  if (minuteStamps_[minuteSlot] != minute) {
    minuteStamps_[minuteSlot] = minute;
    for (size_t s = 0; s < series_.size(); ++s) {
      minutes_[s * kHistoryMinutes + minuteSlot] = MinuteCell{kHistoryGap, kHistoryGap, 0, 0};
    }
  }
  for (size_t s = 0; s < count; ++s) {
    int16_t value = values[s];
    if (value == kHistoryGap) continue;
    MinuteCell& cell = minutes_[s * kHistoryMinutes + minuteSlot];
    if (cell.count == 0 || value < cell.minimum) cell.minimum = value;
    if (cell.count == 0 || value > cell.maximum) cell.maximum = value;
    cell.sum += value;
    cell.count += 1;
  }
}

bool HistoryStore::HasSecond(int64_t second) const {
  return second != kNoHistoryTime && secondStamps_[static_cast<size_t>(FloorMod(second, kHistorySeconds))] == second;
}

int16_t HistoryStore::SecondValue(size_t series, int64_t second) const {
  if (series >= series_.size() || !HasSecond(second)) return kHistoryGap;
  return seconds_[series * kHistorySeconds + static_cast<size_t>(FloorMod(second, kHistorySeconds))];
}

bool HistoryStore::HasMinute(int64_t minute) const {
  return minute != kNoHistoryTime && minuteStamps_[static_cast<size_t>(FloorMod(minute, kHistoryMinutes))] == minute;
}

// The average rounds halves away from zero, as the tray's average does.
MinuteSummary HistoryStore::Minute(size_t series, int64_t minute) const {
  if (series >= series_.size() || !HasMinute(minute)) return {};
  const MinuteCell& cell = minutes_[series * kHistoryMinutes + static_cast<size_t>(FloorMod(minute, kHistoryMinutes))];
  if (cell.count == 0) return {};
  int32_t half = cell.count / 2;
  int32_t average = cell.sum >= 0 ? (cell.sum + half) / cell.count : -((-cell.sum + half) / cell.count);
  return {cell.minimum, static_cast<int16_t>(average), cell.maximum};
}

}  // namespace korvath
