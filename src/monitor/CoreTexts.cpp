#include "monitor/CoreTexts.h"

#include "monitor/CoreSlotControls.h"
#include "ui/DisplayTexts.h"

namespace korvath {

std::string FormatTimeOfDay(const std::tm& time) {
  char buffer[16] = {};
  if (std::strftime(buffer, sizeof buffer, "%H:%M:%S", &time) == 0) return {};
  return buffer;
}

// std::to_string gives what "%d" gives, without a pass through the printf
// machinery, every cycle for every core.
void SetCoreTexts(DisplayTexts& texts, const CoreSlotControls& controls, const ThermalSample& sample,
                  const TemperatureStats::RecordChange& change, const std::tm& minTime, const std::tm& maxTime,
                  const std::string& degreeSuffix) {
  texts.Set(controls.thermalStatus, sample.statusText);
  if (change.newMinimum) {
    texts.Set(controls.minimum, std::to_string(sample.temperature) + degreeSuffix);
    texts.Set(controls.minimumTime, FormatTimeOfDay(minTime));
  }
  if (change.newMaximum) {
    texts.Set(controls.maximum, std::to_string(sample.temperature) + degreeSuffix);
    texts.Set(controls.maximumTime, FormatTimeOfDay(maxTime));
  }
  texts.Set(controls.distance, std::to_string(sample.readout));
  texts.Set(controls.temperature, std::to_string(sample.temperature));
}

void ClearRecordTexts(DisplayTexts& texts, const CoreSlotControls& controls) {
  for (int id : {controls.minimum, controls.maximum, controls.minimumTime, controls.maximumTime}) texts.Set(id, {});
}

}  // namespace korvath
