#include "monitor/TrayIconValue.h"

#include "config/AppSettings.h"

namespace korvath {

int TrayIconValue(uint32_t iconShow, int entry, int temperature, int readout, const TemperatureStats& stats) {
  bool distance = (iconShow & kIconShowDistance) != 0 && entry != kGpuEntry;
  int value = distance ? readout : temperature;
  // Several of the three bits can only come from a hand-edited file; the
  // last test wins then.
  if (iconShow & kIconShowMinimum) value = distance ? stats.minDistance[entry] : stats.minTemp[entry];
  if (iconShow & kIconShowMaximum) value = distance ? stats.maxDistance[entry] : stats.maxTemp[entry];
  if (iconShow & kIconShowAverage) value = distance ? stats.AverageDistance(entry) : stats.AverageTemperature(entry);
  return value;
}

int HottestIconValue(const CoreReading& core, uint32_t iconShow) {
  bool distance = (iconShow & kIconShowDistance) != 0;
  int value = distance ? core.readout : core.temperature;
  if (!core.hasRecords) return value;
  if (iconShow & kIconShowMinimum) value = distance ? core.minDistance : core.minTemp;
  if (iconShow & kIconShowMaximum) value = distance ? core.maxDistance : core.maxTemp;
  if (iconShow & kIconShowAverage) value = distance ? core.averageDistance : core.averageTemperature;
  return value;
}

}  // namespace korvath
