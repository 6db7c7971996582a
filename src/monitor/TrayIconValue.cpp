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

}  // namespace korvath
