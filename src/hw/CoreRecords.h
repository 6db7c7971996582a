// One core's records since start-up or the last Reset: the lowest and
// highest temperature with their times, the distance to TjMax at both ends,
// and the sums the averages are made of.
#pragma once

#include <cstdint>
#include <ctime>

#include "hw/TemperatureStats.h"

namespace korvath {

struct CoreRecords {
  int minTemp = kMinTempStart;
  int maxTemp = kMaxTempStart;
  int minDistance = kMinTempStart;
  int maxDistance = kMaxTempStart;
  int64_t tempSum = 0;
  int64_t distanceSum = 0;
  std::tm minTime = {};
  std::tm maxTime = {};

  TemperatureStats::RecordChange Record(int temperature, int readout, const std::tm& now);
  // A refused read: the held reading counts towards the averages again.
  void Hold(int temperature, int readout) {
    tempSum += temperature;
    distanceSum += readout;
  }
  bool Empty() const { return minTemp > maxTemp; }
  // Records and sums start again; the times stay, as the slots' do.
  void Reset();
};

}  // namespace korvath
