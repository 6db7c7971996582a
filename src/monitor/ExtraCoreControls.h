// The main window's controls of the cores the four slots do not show, and of
// the package sensors: made at run time once the cores are known, with ids
// of their own above the dialog's.
#pragma once

namespace korvath {

enum class CoreField { kTemperature, kDistance, kMinimum, kMaximum, kMinimumTime, kMaximumTime, kThermalStatus, kLabel };

inline constexpr int kCoreFieldCount = 8;
inline constexpr int kExtraCoreControlBase = 5000;
inline constexpr int kPackageControlBase = 4900;

// displayCore counts from 0 over every core, the four slots included, so the
// first extra core is 4.
constexpr int ExtraCoreControlId(int displayCore, CoreField field) {
  return kExtraCoreControlBase + kCoreFieldCount * displayCore + static_cast<int>(field);
}

constexpr int PackageControlId(int package) { return kPackageControlBase + package; }

}  // namespace korvath
