#include "hw/TemperatureMonitor.h"

#include <ctime>
#include <string>

#include "hw/CoreSlotControls.h"
#include "hw/MsrAccess.h"
#include "platform/TextFormat.h"
#include "platform/TimeSource.h"
#include "ui/DisplayTexts.h"

namespace korvath {

std::string FormatTimeOfDay(const std::tm& time) {
  char buffer[16] = {};
  if (std::strftime(buffer, sizeof buffer, "%H:%M:%S", &time) == 0) return {};
  return buffer;
}

TemperatureMonitor::TemperatureMonitor(MsrAccess& access, TimeSource& time, const int (&tjMax)[kCoreSlots],
                                       DisplayTexts& texts)
    : access_(access), time_(time), tjMax_(tjMax), texts_(texts) {}

bool TemperatureMonitor::SampleCoreTemperature(int slot) {
  const uint32_t mask = access_.cpu().coreSlotMask[slot];
  if (mask == 0) return false;
  const CoreSlotControls& controls = kCoreSlotControls[slot];

  uint32_t low = 0;
  uint32_t high = 0;
  // Unpinned, the read would report whichever core the thread happens to be on.
  bool read = access_.PinToCpu(mask) && access_.ReadMsr(kMsrThermStatus, &low, &high);
  access_.RestoreAffinity();

  ThermalSample& sample = samples_[slot];
  if (!read) {
    // A refused read is no reading: 0 would show TjMax and stick as the
    // maximum. The held reading keeps the averages where they were.
    if (hasReading_[slot]) {
      stats_.tempSum[slot] += sample.temperature;
      stats_.distanceSum[slot] += sample.readout;
    }
    return false;
  }
  hasReading_[slot] = true;
  sample = DecodeThermalStatus(low, slot);
  texts_.Set(controls.thermalStatus, sample.statusText);
  sample.temperature = CoreTemperature(sample.readout, sample.hotNow, tjMax_[slot], idleCalibration[slot]);

  stats_.distanceSum[slot] += sample.readout;
  const std::tm now = time_.LocalNow();
  TemperatureStats::RecordChange change = stats_.RecordTemperature(slot, sample.temperature, now);
  if (change.newMinimum) {
    texts_.Set(controls.minimum, Format("%d%s", sample.temperature, degreeSuffix.c_str()));
    texts_.Set(controls.minimumTime, FormatTimeOfDay(now));
  }
  if (change.newMaximum) {
    texts_.Set(controls.maximum, Format("%d%s", sample.temperature, degreeSuffix.c_str()));
    texts_.Set(controls.maximumTime, FormatTimeOfDay(now));
  }
  stats_.RecordDistance(slot, sample.readout);

  texts_.Set(controls.distance, std::to_string(sample.readout));
  texts_.Set(controls.temperature, std::to_string(sample.temperature));
  return true;
}

void TemperatureMonitor::SampleAllCores() {
  for (int slot = 0; slot < kCoreSlots; ++slot) SampleCoreTemperature(slot);
}

void TemperatureMonitor::RecordGpuTemperature(int temperature) {
  stats_.RecordTemperature(kGpuEntry, temperature, time_.LocalNow());
}

void TemperatureMonitor::ResetStatistics() {
  stats_.Reset();
  for (const CoreSlotControls& controls : kCoreSlotControls) {
    texts_.Set(controls.minimum, {});
    texts_.Set(controls.maximum, {});
    texts_.Set(controls.minimumTime, {});
    texts_.Set(controls.maximumTime, {});
  }
}

}  // namespace korvath
