// The run's temperature statistics: per core slot and, as entry 4, the GPU.
#pragma once

#include <cstdint>
#include <ctime>

#include "hw/CpuInfo.h"

namespace korvath {

inline constexpr int kStatEntries = kCoreSlots + 1;
inline constexpr int kGpuEntry = kCoreSlots;
// Chosen so that the first sample of every entry sets both records.
inline constexpr int kMinTempStart = 128;
inline constexpr int kMaxTempStart = -64;

// A sum over the cycles counted, rounded half up; 0 before the first cycle.
int RoundedAverage(int64_t sum, uint64_t cycles);

struct TemperatureStats {
  int minTemp[kStatEntries] = {128, 128, 128, 128, 128};
  int maxTemp[kStatEntries] = {-64, -64, -64, -64, -64};
  int minDistance[kCoreSlots] = {128, 128, 128, 128};
  int maxDistance[kCoreSlots] = {-64, -64, -64, -64};
  int64_t tempSum[kStatEntries] = {};
  int64_t distanceSum[kCoreSlots] = {};
  // Counted by the monitor cycle before it samples, so 1 during the first cycle.
  uint64_t cycleCount = 0;
  // When the current record was set; a Reset keeps them.
  std::tm minTime[kStatEntries] = {};
  std::tm maxTime[kStatEntries] = {};

  struct RecordChange {
    bool newMinimum = false;
    bool newMaximum = false;
  };
  // Adds to the sum and takes a strictly lower or higher record with now.
  RecordChange RecordTemperature(int entry, int temperature, const std::tm& now);
  void RecordDistance(int slot, int readout);

  // Rounded averages over the cycles since start or Reset; 0 before the
  // first cycle has been counted.
  int AverageTemperature(int entry) const;
  int AverageDistance(int slot) const;

  // Records, sums and the cycle count start again; the times stay.
  void Reset();
};

}  // namespace korvath
