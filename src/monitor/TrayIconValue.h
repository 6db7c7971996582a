// Which number a tray icon shows: current, minimum, maximum or average, of the
// temperature or (core icons only) of the distance to TjMax, by IconShow.
#pragma once

#include <cstdint>

#include "hw/TemperatureStats.h"

namespace korvath {

// entry: core slot 0-3 or kGpuEntry. readout is ignored for the GPU.
int TrayIconValue(uint32_t iconShow, int entry, int temperature, int readout, const TemperatureStats& stats);

}  // namespace korvath
