#include "hw/ThermalSample.h"

namespace korvath {

ThermalSample DecodeThermalStatus(uint32_t low, int slot) {
  ThermalSample sample;
  sample.readout = static_cast<int>((low >> 16) & 0x7F);
  sample.hotNow = (low & 0x1) != 0;
  sample.hotLogged = (low & 0x2) != 0;
  sample.statusText = ThermalStatusText(sample.hotNow, sample.hotLogged, slot);
  return sample;
}

const char* ThermalStatusText(bool hotNow, bool hotLogged, int slot) {
  if (!hotNow) return hotLogged ? "LOG" : "OK";
  if (hotLogged) return "HOT";
  return slot == 3 ? "--" : "---";
}

int CoreTemperature(int readout, bool hotNow, int tjMax, int idleCalibration) {
  const int correction = (idleCalibration != 0 && !hotNow) ? idleCalibration * readout / 400 : 0;
  int temperature = tjMax - readout + correction;
  // Above TjMax the 7-bit readout wraps: 127 with the signal on is -1 below.
  if (readout > 77 && hotNow) temperature += 128;
  return temperature;
}

}  // namespace korvath
