#include "hw/IdleCalibration.h"

#include <cmath>
#include <cstdlib>

namespace korvath {

int IdleCalibrationFromText(const std::string& text) {
  // Leading number only, like the C runtime's atof.
  const double degrees = std::strtod(text.c_str(), nullptr);
  const double hundredths = degrees * 100.0;
  // Anything this far out is out of range anyway; the guard keeps the
  // conversion to int defined.
  if (!std::isfinite(hundredths) || std::fabs(hundredths) > 1e6) return 0;
  const int q = static_cast<int>(hundredths);
  const int tenths = q > 0 ? (q + 5) / 10 : (q - 5) / 10;
  if (tenths < kLowestIdleCalibration || tenths > kHighestIdleCalibration) return 0;
  return tenths;
}

std::string DegreeSuffixFromSetting(const std::string& setting) {
  return setting.empty() ? std::string("\xC2\xB0" "C") : setting;
}

}  // namespace korvath
