#include "monitor/TrayIconValue.h"

#include "config/AppSettings.h"

namespace korvath {
namespace {

int Average(int64_t sum, uint64_t cycleCount) {
  // Only reached after the cycle counted itself, but a Reset between two
  // cycles must not make this divide by zero.
  if (cycleCount == 0) return 0;
  return static_cast<int>(static_cast<double>(sum) / static_cast<double>(cycleCount) + 0.5);
}

}  // namespace

int TrayIconValue(uint32_t iconShow, bool isGpu, const TrayIconReading& reading, uint64_t cycleCount) {
  bool distance = (iconShow & kIconShowDistance) != 0 && !isGpu;
  int value = distance ? reading.readout : reading.temperature;
  // Several of the three bits can only come from a hand-edited file; the
  // last test wins then.
  if (iconShow & kIconShowMinimum) value = distance ? reading.minDistance : reading.minTemp;
  if (iconShow & kIconShowMaximum) value = distance ? reading.maxDistance : reading.maxTemp;
  if (iconShow & kIconShowAverage) value = Average(distance ? reading.distanceSum : reading.tempSum, cycleCount);
  return value;
}

}  // namespace korvath
