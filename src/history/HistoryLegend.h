// The History window's legend, which is also its switch: which series are
// drawn, and the band of all cores offered on machines with many cores.
#pragma once

#include <cstddef>
#include <vector>

#include "history/HistoryStore.h"

namespace korvath {

// Beyond this many cores one line per core is a tangle.
inline constexpr int kCoresDrawnSeparately = 8;

struct LegendState {
  std::vector<bool> shown;   // per series of the store
  bool bandOffered = false;  // more cores than are drawn separately
  bool bandShown = false;

  // Legend entries: the series in order, then the band when offered.
  size_t EntryCount() const { return shown.size() + (bandOffered ? 1 : 0); }
  void Toggle(size_t entry);
};

// Every series, on a machine of up to eight cores. On a larger one: the
// hottest core of each type over the last ten minutes, the package, the GPU,
// the load and the band from the coolest to the hottest core.
LegendState InitialLegend(const HistoryStore& store);

}  // namespace korvath
