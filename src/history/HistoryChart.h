// The arithmetic of the History window's picture: which span of time is
// shown, the temperature axis and its ticks, the time ticks in local time,
// where each step of each series lands in pixels, the lines split at gaps,
// the band of all cores, and the read-out under the mouse. The Win32 window
// only draws what this works out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/HistoryRange.h"
#include "history/HistoryStore.h"
#include "ui/WindowRect.h"

namespace korvath {

inline constexpr int kBridgedSteps = 3;

// The chart's drawing area, in the window's client pixels.
using PlotArea = WindowRect;

struct ChartPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ChartPoint&) const = default;
};

// A temperature axis in whole degrees: low and high are multiples of step.
struct ValueAxis {
  int low = 0;
  int high = 0;
  int step = 1;
  bool operator==(const ValueAxis&) const = default;
};

// The smallest step of 1, 2, 5, 10, 20, 25 or 50 degrees whose ticks stand
// at least minSpacing pixels apart, and the range it rounds out to. The
// range holds lowTenths..highTenths (tenths of a degree); no data at all
// (low above high) gives 20..100.
ValueAxis ChooseValueAxis(int lowTenths, int highTenths, int plotHeight, int minSpacing);

// The step between time ticks, in seconds: the smallest of 1, 2, 5, 10, 15,
// 30 minutes, 1, 2, 3, 6 hours that keeps the ticks minSpacing pixels apart.
int64_t ChooseTimeStep(int64_t rangeSeconds, int plotWidth, int minSpacing);

struct TimeTick {
  int x = 0;
  int64_t time = 0;  // seconds since 1970 UTC
};

// A line split at its gaps: run i is runs[i] points long, in order.
struct ChartLine {
  std::vector<ChartPoint> points;
  std::vector<int> runs;
  void Clear() {
    points.clear();
    runs.clear();
  }
};

class HistoryChart {
 public:
  explicit HistoryChart(const HistoryStore& store) : store_(store) {}

  // Fixes the span (ending with the newest step recorded), the plot area and
  // the temperature axis for the shown series, with the alarm threshold and
  // TjMax on it (0 for none).
  void Prepare(HistoryRange range, const std::vector<bool>& shown, const PlotArea& area, int minSpacingY,
               int alarmDegrees, int tjMaxDegrees);

  HistoryRange range() const { return range_; }
  const PlotArea& area() const { return area_; }
  const ValueAxis& axis() const { return axis_; }
  // The first step's time; the span runs StepCount steps from there.
  int64_t start() const { return start_; }
  int64_t StepTime(int step) const { return start_ + step * StepSeconds(range_); }
  // A series' value at a step: the second, or the minute's average; in tenths.
  int16_t StepValue(size_t series, int step) const;
  // Whether anything was recorded at the step (a cycle ran in that second).
  bool StepRecorded(int step) const;

  int XOfStep(int step) const;
  // The step under a pixel column, clamped to the span.
  int StepAt(int x) const;
  // Temperatures (tenths) on the axis; the load (tenths of a percent) on a
  // 0-100 % band over the bottom quarter of the plot.
  int YOfTemperature(int tenths) const;
  int YOfLoad(int tenths) const;

  // Local-time ticks inside the span, at whole multiples of the step.
  std::vector<TimeTick> TimeTicks(int minSpacing, int64_t localOffset) const;

  // The series' line over the span, at most two points per pixel column
  // (the lowest and highest there, in the order they came), split at gaps:
  // a failed reading, or more than kBridgedSteps steps with no cycle at all.
  // A cycle late by a second or two (a busy machine) leaves the line whole.
  void BuildLine(size_t series, ChartLine& line) const;
  // The band from the lowest to the highest core at each step, as closed
  // outlines (upper edge left to right, then lower edge back), split where
  // no core was read.
  void BuildCoreBand(ChartLine& band) const;

  // The hover read-out at pixel column x: the time ("14:05:09", or "14:05"
  // for the day) and each shown series' value at that step, one per line:
  // "Core 0  45°C", "Load  12.5%", "GPU  --" for a gap.
  std::string ReadoutAt(int x, const std::vector<bool>& shown, const std::string& degreeSuffix,
                        int64_t localOffset) const;

 private:
  int YOf(int tenths, int low, int high, int top, int bottom) const;
  void AddPoint(ChartLine& line, int x, int y, bool& inRun) const;

  const HistoryStore& store_;
  HistoryRange range_ = HistoryRange::kTenMinutes;
  PlotArea area_;
  ValueAxis axis_;
  int64_t start_ = 0;
};

// "45", "45.5": a value in tenths as the read-out and the export write it.
std::string TenthsText(int tenths, bool alwaysDecimal);

}  // namespace korvath
