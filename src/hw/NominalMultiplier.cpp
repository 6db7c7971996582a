#include "hw/NominalMultiplier.h"

#include "hw/MsrAccess.h"

namespace korvath {

double DetermineMaxMultiplier(MsrAccess& access) {
  CpuInfo& cpu = access.cpu();
  uint32_t low = 0;
  uint32_t high = 0;
  double multiplier = 0;
  if (cpu.IsCoreI7()) {
    access.ReadMsr(kMsrPlatformInfo, &low, &high);
    multiplier = (low >> 8) & 0xFF;
  } else {
    access.ReadMsr(kMsrPerfStatus, &low, &high);
    multiplier = (high >> 8) & 0x1F;
    if (high & (1u << 14)) multiplier += 0.5;
  }
  cpu.maxMultiplier = multiplier < 1.0 ? 1.0 : multiplier;
  return cpu.maxMultiplier;
}

}  // namespace korvath
