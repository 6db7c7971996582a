// The texts of a display core's controls in the main window, made from what
// the temperature monitor read and recorded.
#pragma once

#include <ctime>
#include <string>

#include "hw/TemperatureStats.h"
#include "hw/ThermalSample.h"

namespace korvath {

class DisplayTexts;
struct CoreSlotControls;

// "%H:%M:%S" of a calendar time.
std::string FormatTimeOfDay(const std::tm& time);

// After a successful read: the status, distance and temperature, and the
// records this read set with their times. Records that did not change keep
// their texts.
void SetCoreTexts(DisplayTexts& texts, const CoreSlotControls& controls, const ThermalSample& sample,
                  const TemperatureStats::RecordChange& change, const std::tm& minTime, const std::tm& maxTime,
                  const std::string& degreeSuffix);

// A Reset empties the four record texts; the reading stays shown.
void ClearRecordTexts(DisplayTexts& texts, const CoreSlotControls& controls);

}  // namespace korvath
