// The per-core idle calibration and the degree suffix, as the settings
// texts give them.
#pragma once

#include <string>

namespace korvath {

inline constexpr int kLowestIdleCalibration = -199;
inline constexpr int kHighestIdleCalibration = 99;

// Degrees as a real number to tenths of a degree, rounded half away from
// zero from hundredths; 0 (no calibration) outside -199..99 or for a text
// that is no number.
int IdleCalibrationFromText(const std::string& text);

// "°C" unless the setting gives a text of its own; no unit is ever converted.
std::string DegreeSuffixFromSetting(const std::string& setting);

}  // namespace korvath
