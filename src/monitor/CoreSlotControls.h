// The main window's controls that show one display core: the four slots'
// from the dialog, the other cores' made at run time.
#pragma once

#include "hw/CpuInfo.h"
#include "monitor/ExtraCoreControls.h"
#include "resources/resource.h"

namespace korvath {

struct CoreSlotControls {
  int temperature;
  int distance;
  int minimum;
  int maximum;
  int minimumTime;
  int maximumTime;
  int thermalStatus;
};

inline constexpr CoreSlotControls kCoreSlotControls[kCoreSlots] = {
    {IDC_TEMPERATURE0, IDC_DISTANCE0, IDC_MINIMUM0, IDC_MAXIMUM0, IDC_MINIMUM_TIME0, IDC_MAXIMUM_TIME0,
     IDC_THERMAL_STATUS0},
    {IDC_TEMPERATURE1, IDC_DISTANCE1, IDC_MINIMUM1, IDC_MAXIMUM1, IDC_MINIMUM_TIME1, IDC_MAXIMUM_TIME1,
     IDC_THERMAL_STATUS1},
    {IDC_TEMPERATURE2, IDC_DISTANCE2, IDC_MINIMUM2, IDC_MAXIMUM2, IDC_MINIMUM_TIME2, IDC_MAXIMUM_TIME2,
     IDC_THERMAL_STATUS2},
    {IDC_TEMPERATURE3, IDC_DISTANCE3, IDC_MINIMUM3, IDC_MAXIMUM3, IDC_MINIMUM_TIME3, IDC_MAXIMUM_TIME3,
     IDC_THERMAL_STATUS3},
};

// Any display core's controls: the slots' for 0-3, the run-time ones above.
constexpr CoreSlotControls CoreControls(int displayCore) {
  if (displayCore < kCoreSlots) return kCoreSlotControls[displayCore];
  return {ExtraCoreControlId(displayCore, CoreField::kTemperature),
          ExtraCoreControlId(displayCore, CoreField::kDistance),
          ExtraCoreControlId(displayCore, CoreField::kMinimum),
          ExtraCoreControlId(displayCore, CoreField::kMaximum),
          ExtraCoreControlId(displayCore, CoreField::kMinimumTime),
          ExtraCoreControlId(displayCore, CoreField::kMaximumTime),
          ExtraCoreControlId(displayCore, CoreField::kThermalStatus)};
}

}  // namespace korvath
