// The GPU temperature: the driver interface opened once per process, then
// the hottest GPU read once per monitor cycle.
#pragma once

#include <cstdint>
#include <string>

#include "platform/GpuSource.h"

namespace korvath {

class GpuSensor {
 public:
  // Opens the driver interface; any failure on the way leaves status() at -1
  // and GPU reading off for the whole run. Never re-opened.
  explicit GpuSensor(GpuSource& source);
  GpuSensor(const GpuSensor&) = delete;
  GpuSensor& operator=(const GpuSensor&) = delete;

  // The hottest GPU's temperature in degrees Celsius. A GPU that fails or
  // reports 0 counts as no reading; with no reading at all this answers the
  // last non-zero value (0 until the first one).
  int ReadGpuTemperature();

  // Whether the monitor reads and shows the GPU: the driver answered at
  // start-up and the NoGPU setting does not switch it off.
  bool IsReadingOn(bool noGpuSetting) const { return status_ == 0 && !noGpuSetting; }

  // 0 once the driver answered every opening call, -1 otherwise.
  int status() const { return status_; }
  uint32_t gpuCount() const { return gpuCount_; }
  int lastGpuTemperature() const { return lastGpuTemperature_; }
  // Whether the last ReadGpuTemperature had a reading of its own, not the
  // last one kept.
  bool lastReadFresh() const { return lastReadFresh_; }
  int displayIndex() const { return displayIndex_; }

 private:
  bool Open();

  GpuSource& source_;
  int status_ = -1;
  int displayIndex_ = 0;
  uint32_t gpuCount_ = 0;
  int lastGpuTemperature_ = 0;
  bool lastReadFresh_ = false;
  uintptr_t displayHandles_[kGpuMaxDisplayHandles] = {};  // only entry 0 is used
  uintptr_t gpuHandles_[kGpuMaxPhysicalGpus] = {};
};

// The main window's GPU text, "GPU  58°C" with the degree suffix in use.
std::string GpuDisplayText(int celsius, const std::string& degreeSuffix);

}  // namespace korvath
