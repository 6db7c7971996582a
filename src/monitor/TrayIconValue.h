// Which number a tray icon shows: current, minimum, maximum or average, of the
// temperature or (core icons only) of the distance to TjMax, by IconShow.
#pragma once

#include <cstdint>

namespace korvath {

// What the statistics know about one icon's entry (core slot 0-3 or the GPU).
struct TrayIconReading {
  int temperature = 0;  // current
  int readout = 0;      // current distance to TjMax; cores only
  int minTemp = 128;
  int maxTemp = -64;
  int minDistance = 128;
  int maxDistance = -64;
  int64_t tempSum = 0;
  int64_t distanceSum = 0;
};

int TrayIconValue(uint32_t iconShow, bool isGpu, const TrayIconReading& reading, uint64_t cycleCount);

}  // namespace korvath
