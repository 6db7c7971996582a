#include "hw/NominalMultiplier.h"

#include <cmath>

#include "hw/MsrAccess.h"

namespace korvath {

double DetermineMaxMultiplier(MsrAccess& access) {
  CpuInfo& cpu = access.cpu();
  uint32_t low = 0;
  uint32_t high = 0;
  cpu.minMultiplier = 0;
  if (cpu.newerProcessor) {
    // Whatever the processor has: 100 MHz from Sandy Bridge on, 133.33 on
    // Nehalem and Westmere. A refused read or a zero ratio gives no clock
    // rather than one divided by an invented multiplier.
    bool read = access.ReadMsr(kMsrPlatformInfo, &low, &high);
    cpu.maxMultiplier = read ? (low >> 8) & 0xFF : 0;
    cpu.minMultiplier = read ? (high >> 8) & 0xFF : 0;
    return cpu.maxMultiplier;
  }
  double multiplier = 0;
  bool read = false;
  if (cpu.IsCoreI7()) {
    read = access.ReadMsr(kMsrPlatformInfo, &low, &high);
    multiplier = (low >> 8) & 0xFF;
  } else {
    read = access.ReadMsr(kMsrPerfStatus, &low, &high);
    multiplier = (high >> 8) & 0x1F;
    if (high & (1u << 14)) multiplier += 0.5;
  }
  // A failed read says nothing; 1.0 would give a clock of the bus speed
  // times the current multiplier for the whole run.
  if (!read) multiplier = 0;
  else if (multiplier < 1.0) multiplier = 1.0;
  cpu.maxMultiplier = multiplier;
  return cpu.maxMultiplier;
}

double NearestHalfMultiplier(double ratio, double nominal) {
  return std::trunc(ratio * nominal * 2 + 0.5) * 0.5;
}

}  // namespace korvath
