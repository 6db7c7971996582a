#include "history/HistoryCsv.h"

#include "history/HistoryTime.h"

namespace korvath {

// Lines end in CR LF, as spreadsheets on Windows expect them.
std::string HistoryCsvText(const HistoryChart& chart, const HistoryStore& store, const std::vector<bool>& shown,
                           int64_t localOffset) {
  std::string text = "Time";
  for (size_t s = 0; s < store.SeriesCount() && s < shown.size(); ++s) {
    if (shown[s]) text += "," + store.Series(s).name;
  }
  text += "\r\n";
  bool day = chart.range() == HistoryRange::kDay;
  for (int step = 0; step < StepCount(chart.range()); ++step) {
    int64_t time = chart.StepTime(step);
    if (day ? !store.HasMinute(FloorDiv(time, 60)) : !store.HasSecond(time)) continue;
    text += StampText(time, localOffset);
    for (size_t s = 0; s < store.SeriesCount() && s < shown.size(); ++s) {
      if (!shown[s]) continue;
      text += ',';
      int16_t value = chart.StepValue(s, step);
      if (value != kHistoryGap) text += TenthsText(value, store.Series(s).kind == SeriesKind::kLoad);
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace korvath
