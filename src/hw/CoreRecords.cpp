#include "hw/CoreRecords.h"

namespace korvath {

TemperatureStats::RecordChange CoreRecords::Record(int temperature, int readout, const std::tm& now) {
  TemperatureStats::RecordChange change;
  Hold(temperature, readout);
  if (temperature < minTemp) {
    minTemp = temperature;
    minTime = now;
    change.newMinimum = true;
  }
  if (temperature > maxTemp) {
    maxTemp = temperature;
    maxTime = now;
    change.newMaximum = true;
  }
  if (readout < minDistance) minDistance = readout;
  if (readout > maxDistance) maxDistance = readout;
  return change;
}

void CoreRecords::Reset() {
  minTemp = kMinTempStart;
  maxTemp = kMaxTempStart;
  minDistance = kMinTempStart;
  maxDistance = kMaxTempStart;
  tempSum = 0;
  distanceSum = 0;
}

}  // namespace korvath
