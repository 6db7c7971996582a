#include "monitor/GpuSensor.h"

#include <algorithm>

#include "platform/TextFormat.h"

namespace korvath {

GpuSensor::GpuSensor(GpuSource& source) : source_(source) {
  if (Open()) status_ = 0;
}

bool GpuSensor::Open() {
  if (!source_.Load()) return false;
  if (source_.Initialize() < 0) return false;
  // The version record is not kept: the call only proves that a working
  // driver sits behind the library.
  if (source_.GetDisplayDriverVersion(kGpuDriverVersionRecordVersion) != kGpuOk) return false;
  if (source_.EnumNvidiaDisplayHandle(displayIndex_, &displayHandles_[0]) != kGpuOk) return false;
  uint32_t count = 0;
  if (source_.GetPhysicalGpusFromDisplay(displayHandles_[0], gpuHandles_, &count) != kGpuOk) {
    return false;
  }
  // The handle table has room for 64 GPUs; a larger count from the driver
  // must not send the readings past it.
  gpuCount_ = std::min<uint32_t>(count, kGpuMaxPhysicalGpus);
  return true;
}

int GpuSensor::ReadGpuTemperature() {
  lastReadFresh_ = false;
  if (status_ != 0) return lastGpuTemperature_;
  uint32_t best = 0;
  for (uint32_t i = 0; i < gpuCount_; ++i) {
    uint32_t current = 0;
    int result = source_.GetThermalSettings(gpuHandles_[i], 0, kGpuThermalSettingsRecordVersion,
                                            &current);
    if (result == kGpuOk && current > best) {
      best = current;
      lastGpuTemperature_ = static_cast<int>(best);
    }
  }
  // A GPU that really reports 0 is taken as a missed reading, like a failure.
  if (best == 0) return lastGpuTemperature_;
  lastReadFresh_ = true;
  return static_cast<int>(best);
}

std::string GpuDisplayText(int celsius, const std::string& degreeSuffix) {
  return Format("GPU  %d%s", celsius, degreeSuffix.c_str());
}

}  // namespace korvath
