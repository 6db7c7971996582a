// TjMax, the junction temperature from which the digital thermal sensor
// counts down: from the model number and signature, from the processor on
// Core i7, and from the user's settings.
#pragma once

#include "hw/BrandText.h"
#include "hw/CpuInfo.h"

namespace korvath {

class MsrAccess;

inline constexpr int kDefaultTjMax = 100;
inline constexpr int kLowestTjMaxSetting = 70;
inline constexpr int kHighestTjMaxSetting = 120;

// The rules over the undecorated model number; a later match overrides an
// earlier one.
int TjMaxFromModel(const BrandText& modelNumber, int signature);

// Core i7 reports TjMax in MSR 0x1A2; read on every present core slot, and a
// field of 0 means the register does not say, so 100 is used.
void ReadTjMaxFromProcessor(MsrAccess& access, int (&tjMax)[kCoreSlots]);

}  // namespace korvath
