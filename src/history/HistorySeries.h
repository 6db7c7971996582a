// What one line of the history is: a core, the package, the GPU or the load.
// The monitor lists its series once at start-up; the list fixes the memory
// the history takes for the run.
#pragma once

#include <string>

#include "hw/CoreType.h"

namespace korvath {

enum class SeriesKind { kCore, kPackage, kGpu, kLoad };

struct HistorySeries {
  std::string name;  // the legend's text and the export's column head
  SeriesKind kind = SeriesKind::kCore;
  CoreType coreType = CoreType::kUnknown;  // P- and E-cores are drawn apart
};

}  // namespace korvath
