// The three spans of time the History window shows, and how each is cut
// into the steps that are drawn and exported.
#pragma once

#include <cstdint>
#include <optional>

namespace korvath {

enum class HistoryRange { kTenMinutes, kHour, kDay };

inline constexpr HistoryRange kHistoryRanges[] = {HistoryRange::kTenMinutes, HistoryRange::kHour, HistoryRange::kDay};

// The whole span in seconds, and one step of it: a second for the last
// hour, a minute (its average) for the day.
constexpr int64_t RangeSeconds(HistoryRange range) {
  return range == HistoryRange::kTenMinutes ? 600 : range == HistoryRange::kHour ? 3600 : 86400;
}
constexpr int64_t StepSeconds(HistoryRange range) { return range == HistoryRange::kDay ? 60 : 1; }
constexpr int StepCount(HistoryRange range) { return static_cast<int>(RangeSeconds(range) / StepSeconds(range)); }

// "HistoryRange" keeps the span in minutes: 10, 60 or 1440.
constexpr int RangeMinutes(HistoryRange range) { return static_cast<int>(RangeSeconds(range) / 60); }
constexpr std::optional<HistoryRange> RangeFromMinutes(int minutes) {
  for (HistoryRange range : kHistoryRanges) {
    if (RangeMinutes(range) == minutes) return range;
  }
  return std::nullopt;
}

constexpr const char* RangeLabel(HistoryRange range) {
  return range == HistoryRange::kTenMinutes ? "10 min" : range == HistoryRange::kHour ? "1 hour" : "24 hours";
}

}  // namespace korvath
