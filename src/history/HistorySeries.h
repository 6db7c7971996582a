// What one line of the history is: a core, the package, the GPU or the load.
// The monitor lists its series once at start-up; the list fixes the memory
// the history takes for the run.
#pragma once

#include <string>

namespace korvath {

enum class SeriesKind { kCore, kPackage, kGpu, kLoad };
// Hybrid processors: performance and efficient cores are drawn apart.
enum class CoreType { kAny, kPerformance, kEfficient };

struct HistorySeries {
  std::string name;  // the legend's text and the export's column head
  SeriesKind kind = SeriesKind::kCore;
  CoreType coreType = CoreType::kAny;
};

}  // namespace korvath
