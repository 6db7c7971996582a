// One core's decoded thermal status register (MSR 0x19C) and the
// temperature made from it.
#pragma once

#include <cstdint>
#include <string>

namespace korvath {

struct ThermalSample {
  int readout = 0;  // distance below TjMax, bits 22-16
  bool hotNow = false;
  bool hotLogged = false;
  int temperature = 0;
  std::string statusText;
};

// Readout and the two status bits from the register's low half; the
// temperature is left to CoreTemperature.
ThermalSample DecodeThermalStatus(uint32_t low, int slot);

// "OK", "LOG", "HOT", or "---" ("--" on slot 3) for a signal without its log bit.
const char* ThermalStatusText(bool hotNow, bool hotLogged, int slot);

// TjMax minus the readout, with the idle calibration (tenths of a degree,
// full at 40 degrees below TjMax, vanishing at TjMax) applied only while the
// sensor's high-temperature signal is off.
int CoreTemperature(int readout, bool hotNow, int tjMax, int idleCalibration);

}  // namespace korvath
