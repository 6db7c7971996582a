#include "hw/TemperatureStats.h"

namespace korvath {

int RoundedAverage(int64_t sum, uint64_t cycles) {
  if (cycles == 0) return 0;
  return static_cast<int>(static_cast<double>(sum) / static_cast<double>(cycles) + 0.5);
}

TemperatureStats::RecordChange TemperatureStats::RecordTemperature(int entry, int temperature,
                                                                   const std::tm& now) {
  RecordChange change;
  tempSum[entry] += temperature;
  if (temperature < minTemp[entry]) {
    minTemp[entry] = temperature;
    minTime[entry] = now;
    change.newMinimum = true;
  }
  if (temperature > maxTemp[entry]) {
    maxTemp[entry] = temperature;
    maxTime[entry] = now;
    change.newMaximum = true;
  }
  return change;
}

void TemperatureStats::RecordDistance(int slot, int readout) {
  if (readout < minDistance[slot]) minDistance[slot] = readout;
  if (readout > maxDistance[slot]) maxDistance[slot] = readout;
}

int TemperatureStats::AverageTemperature(int entry) const { return RoundedAverage(tempSum[entry], cycleCount); }

int TemperatureStats::AverageDistance(int slot) const { return RoundedAverage(distanceSum[slot], cycleCount); }

void TemperatureStats::Reset() {
  for (int i = 0; i < kStatEntries; ++i) {
    minTemp[i] = kMinTempStart;
    maxTemp[i] = kMaxTempStart;
    tempSum[i] = 0;
  }
  for (int i = 0; i < kCoreSlots; ++i) {
    minDistance[i] = kMinTempStart;
    maxDistance[i] = kMaxTempStart;
    distanceSum[i] = 0;
  }
  cycleCount = 0;
}

}  // namespace korvath
