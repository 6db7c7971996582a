#include "history/HistoryLegend.h"

#include <climits>

namespace korvath {

void LegendState::Toggle(size_t entry) {
  if (entry < shown.size()) shown[entry] = !shown[entry];
  else if (bandOffered && entry == shown.size()) bandShown = !bandShown;
}

LegendState InitialLegend(const HistoryStore& store) {
  LegendState legend;
  legend.shown.assign(store.SeriesCount(), true);
  int cores = 0;
  for (size_t s = 0; s < store.SeriesCount(); ++s) cores += store.Series(s).kind == SeriesKind::kCore;
  if (cores <= kCoresDrawnSeparately) return legend;

  legend.bandOffered = true;
  legend.bandShown = true;
  constexpr int kTypes = 3;
  size_t hottest[kTypes] = {SIZE_MAX, SIZE_MAX, SIZE_MAX};
  int highest[kTypes] = {INT_MIN, INT_MIN, INT_MIN};
  int64_t latest = store.Latest();
  for (size_t s = 0; s < store.SeriesCount(); ++s) {
    const HistorySeries& series = store.Series(s);
    if (series.kind != SeriesKind::kCore) continue;
    legend.shown[s] = false;
    int type = static_cast<int>(series.coreType);
    int peak = INT_MIN;
    for (int64_t back = 0; latest != kNoHistoryTime && back < 600; ++back) {
      int16_t value = store.SecondValue(s, latest - back);
      if (value != kHistoryGap && value > peak) peak = value;
    }
    // The first core of a type stands for it until one is read hotter.
    if (hottest[type] == SIZE_MAX || peak > highest[type]) {
      hottest[type] = s;
      highest[type] = peak;
    }
  }
  for (size_t index : hottest) {
    if (index != SIZE_MAX) legend.shown[index] = true;
  }
  return legend;
}

}  // namespace korvath
