// Which number a tray icon shows: current, minimum, maximum or average, of the
// temperature or (core icons only) of the distance to TjMax, by IconShow.
#pragma once

#include <cstdint>

#include "hw/TemperatureMonitor.h"
#include "hw/TemperatureStats.h"

namespace korvath {

// entry: core slot 0-3 or kGpuEntry. readout is ignored for the GPU.
int TrayIconValue(uint32_t iconShow, int entry, int temperature, int readout, const TemperatureStats& stats);

// The hottest core's icon: the same choice from that core's own reading and
// records. Without records (a Reset, and no reading since) it shows the
// current value rather than the records' empty markers.
int HottestIconValue(const CoreReading& core, uint32_t iconShow);

}  // namespace korvath
