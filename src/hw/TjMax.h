// TjMax, the junction temperature from which the digital thermal sensor
// counts down: from the model number and signature, from the processor on
// Core i7 and on every later processor, and from the user's settings.
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

// Processors from Lynnfield on (family 6, display model 0x1E and up) report
// their TjMax in MSR 0x1A2, except the Atoms of display models 0x26, 0x27,
// 0x35 and 0x36, which lack the register. Nehalem (0x1A) and everything
// before it are left to the model tables and the Core i7 rule.
bool ReportsTjMax(int signature);

// Takes bits 23-16 of MSR 0x1A2 on every present core slot as its TjMax; a
// field of 0 says nothing, so the value from the model rules stays.
void ReadReportedTjMax(MsrAccess& access, int (&tjMax)[kCoreSlots]);

}  // namespace korvath
