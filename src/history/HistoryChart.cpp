#include "history/HistoryChart.h"

#include <algorithm>
#include <climits>

#include "history/HistoryTime.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr int kValueSteps[] = {1, 2, 5, 10, 20, 25, 50};
constexpr int64_t kTimeSteps[] = {60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600};
constexpr int kDefaultLow = 20;
constexpr int kDefaultHigh = 100;

int FloorToStep(int value, int step) { return static_cast<int>(FloorDiv(value, step) * step); }
int CeilToStep(int value, int step) { return -FloorToStep(-value, step); }

// Whole degrees holding a value in tenths: floored for the low end, raised
// for the high one.
int DegreesDown(int tenths) { return static_cast<int>(FloorDiv(tenths, 10)); }
int DegreesUp(int tenths) { return -static_cast<int>(FloorDiv(-tenths, 10)); }

}  // namespace

ValueAxis ChooseValueAxis(int lowTenths, int highTenths, int plotHeight, int minSpacing) {
  int low = lowTenths > highTenths ? kDefaultLow : DegreesDown(lowTenths);
  int high = lowTenths > highTenths ? kDefaultHigh : DegreesUp(highTenths);
  ValueAxis axis;
  for (int step : kValueSteps) {
    axis = {FloorToStep(low, step), CeilToStep(high, step), step};
    if (axis.high == axis.low) axis.high += step;
    int ticks = (axis.high - axis.low) / step;
    if (static_cast<int64_t>(ticks) * minSpacing <= plotHeight) break;
  }
  return axis;
}

int64_t ChooseTimeStep(int64_t rangeSeconds, int plotWidth, int minSpacing) {
  for (int64_t step : kTimeSteps) {
    if (rangeSeconds / step * minSpacing <= plotWidth) return step;
  }
  return kTimeSteps[std::size(kTimeSteps) - 1];
}

void HistoryChart::Prepare(HistoryRange range, const std::vector<bool>& shown, const PlotArea& area,
                           int minSpacingY, int alarmDegrees, int tjMaxDegrees) {
  range_ = range;
  area_ = area;
  int64_t step = StepSeconds(range);
  int64_t latest = store_.Latest();
  int64_t last = latest == kNoHistoryTime ? 0 : FloorDiv(latest, step) * step;
  start_ = last - (StepCount(range) - 1) * step;

  int low = INT_MAX;
  int high = INT_MIN;
  for (size_t s = 0; s < store_.SeriesCount() && s < shown.size(); ++s) {
    if (!shown[s] || store_.Series(s).kind == SeriesKind::kLoad) continue;
    for (int i = 0; i < StepCount(range); ++i) {
      int16_t value = StepValue(s, i);
      if (value == kHistoryGap) continue;
      low = std::min<int>(low, value);
      high = std::max<int>(high, value);
    }
  }
  // The alarm threshold and TjMax stay on the axis: how far the cores are
  // from them is half of what the picture tells.
  for (int line : {alarmDegrees, tjMaxDegrees}) {
    if (line <= 0 || low > high) continue;
    low = std::min(low, line * 10);
    high = std::max(high, line * 10);
  }
  axis_ = ChooseValueAxis(low, high, area.Height(), minSpacingY);
}

int16_t HistoryChart::StepValue(size_t series, int step) const {
  int64_t time = StepTime(step);
  if (range_ == HistoryRange::kDay) return store_.Minute(series, FloorDiv(time, 60)).average;
  return store_.SecondValue(series, time);
}

bool HistoryChart::StepRecorded(int step) const {
  int64_t time = StepTime(step);
  return range_ == HistoryRange::kDay ? store_.HasMinute(FloorDiv(time, 60)) : store_.HasSecond(time);
}

int HistoryChart::XOfStep(int step) const {
  int steps = StepCount(range_);
  if (steps <= 1) return area_.left;
  return area_.left + static_cast<int>(static_cast<int64_t>(step) * area_.Width() / (steps - 1));
}

int HistoryChart::StepAt(int x) const {
  int steps = StepCount(range_);
  if (area_.Width() <= 0) return steps - 1;
  int64_t offset = static_cast<int64_t>(x - area_.left) * (steps - 1);
  int step = static_cast<int>((offset + area_.Width() / 2) / area_.Width());
  return std::clamp(step, 0, steps - 1);
}

int HistoryChart::YOf(int tenths, int low, int high, int top, int bottom) const {
  if (high <= low) return bottom;
  int64_t span = static_cast<int64_t>(high - low);
  return bottom - static_cast<int>((static_cast<int64_t>(tenths - low) * (bottom - top) + span / 2) / span);
}

int HistoryChart::YOfTemperature(int tenths) const {
  return YOf(tenths, axis_.low * 10, axis_.high * 10, area_.top, area_.bottom);
}

int HistoryChart::YOfLoad(int tenths) const {
  return YOf(tenths, 0, 1000, area_.bottom - area_.Height() / 4, area_.bottom);
}

std::vector<TimeTick> HistoryChart::TimeTicks(int minSpacing, int64_t localOffset) const {
  std::vector<TimeTick> ticks;
  int64_t span = RangeSeconds(range_);
  int64_t step = ChooseTimeStep(span, area_.Width(), minSpacing);
  int64_t end = StepTime(StepCount(range_) - 1);
  int64_t first = (FloorDiv(start_ + localOffset + step - 1, step)) * step - localOffset;
  int64_t stepSeconds = StepSeconds(range_);
  for (int64_t time = first; time <= end; time += step) {
    int64_t steps = StepCount(range_) - 1;
    int64_t done = time - start_;
    int x = area_.left + static_cast<int>(steps > 0 ? done * area_.Width() / (steps * stepSeconds) : 0);
    ticks.push_back({x, time});
  }
  return ticks;
}

void HistoryChart::AddPoint(ChartLine& line, int x, int y, bool& inRun) const {
  if (!inRun) {
    line.runs.push_back(0);
    inRun = true;
  }
  line.points.push_back({x, y});
  ++line.runs.back();
}

void HistoryChart::BuildLine(size_t series, ChartLine& line) const {
  line.Clear();
  bool load = store_.Series(series).kind == SeriesKind::kLoad;
  bool inRun = false;
  // The column being gathered: its first value, lowest and highest, and
  // which of those two came first.
  int columnX = INT_MIN;
  int lowY = 0;
  int highY = 0;
  bool lowFirst = true;
  auto flush = [&] {
    if (columnX == INT_MIN) return;
    if (lowY == highY) {
      AddPoint(line, columnX, lowY, inRun);
    } else {
      AddPoint(line, columnX, lowFirst ? lowY : highY, inRun);
      AddPoint(line, columnX, lowFirst ? highY : lowY, inRun);
    }
    columnX = INT_MIN;
  };
  int unrecorded = 0;
  for (int i = 0; i < StepCount(range_); ++i) {
    if (!StepRecorded(i)) {
      ++unrecorded;
      continue;
    }
    int16_t value = StepValue(series, i);
    if (value == kHistoryGap || unrecorded > kBridgedSteps) {
      flush();
      inRun = false;
    }
    unrecorded = 0;
    if (value == kHistoryGap) continue;
    int x = XOfStep(i);
    int y = load ? YOfLoad(value) : YOfTemperature(value);
    if (x != columnX) {
      flush();
      columnX = x;
      lowY = highY = y;
      lowFirst = true;
      continue;
    }
    // Screen y grows downwards: the highest value has the smallest y.
    if (y > lowY) {
      if (highY == lowY) lowFirst = false;
      lowY = y;
    }
    if (y < highY) {
      if (highY == lowY) lowFirst = true;
      highY = y;
    }
  }
  flush();
}

void HistoryChart::BuildCoreBand(ChartLine& band) const {
  band.Clear();
  std::vector<ChartPoint> lower;
  auto close = [&] {
    if (lower.empty()) return;
    band.points.insert(band.points.end(), lower.rbegin(), lower.rend());
    band.runs.back() += static_cast<int>(lower.size());
    lower.clear();
  };
  int unrecorded = 0;
  for (int i = 0; i < StepCount(range_); ++i) {
    if (!StepRecorded(i)) {
      ++unrecorded;
      continue;
    }
    if (unrecorded > kBridgedSteps) close();
    unrecorded = 0;
    int low = INT_MAX;
    int high = INT_MIN;
    for (size_t s = 0; s < store_.SeriesCount(); ++s) {
      if (store_.Series(s).kind != SeriesKind::kCore) continue;
      int16_t value = StepValue(s, i);
      if (value == kHistoryGap) continue;
      low = std::min<int>(low, value);
      high = std::max<int>(high, value);
    }
    if (low > high) {
      close();
      continue;
    }
    if (lower.empty()) band.runs.push_back(0);
    int x = XOfStep(i);
    band.points.push_back({x, YOfTemperature(high)});
    ++band.runs.back();
    lower.push_back({x, YOfTemperature(low)});
  }
  close();
}

std::string TenthsText(int tenths, bool alwaysDecimal) {
  if (!alwaysDecimal && tenths % 10 == 0) return Format("%d", tenths / 10);
  return Format("%s%d.%d", tenths < 0 ? "-" : "", (tenths < 0 ? -tenths : tenths) / 10,
                (tenths < 0 ? -tenths : tenths) % 10);
}

std::string HistoryChart::ReadoutAt(int x, const std::vector<bool>& shown, const std::string& degreeSuffix,
                                    int64_t localOffset) const {
  int step = StepAt(x);
  std::string text = ClockText(StepTime(step), localOffset, range_ != HistoryRange::kDay);
  for (size_t s = 0; s < store_.SeriesCount() && s < shown.size(); ++s) {
    if (!shown[s]) continue;
    const HistorySeries& series = store_.Series(s);
    int16_t value = StepValue(s, step);
    text += "\n" + series.name + "  ";
    if (value == kHistoryGap) text += "--";
    else if (series.kind == SeriesKind::kLoad) text += TenthsText(value, true) + "%";
    else text += TenthsText(value, false) + degreeSuffix;
  }
  return text;
}

}  // namespace korvath
