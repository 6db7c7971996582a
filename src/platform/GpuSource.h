// The seam to the GPU driver interface: the five calls the GPU sensor makes,
// each answering 0 on success as the driver does.
#pragma once

#include <cstdint>

namespace korvath {

inline constexpr int kGpuMaxPhysicalGpus = 64;

class GpuSource {
 public:
  virtual ~GpuSource() = default;

  // Loads the library and resolves its entry point; false when either is missing.
  virtual bool Load() = 0;
  virtual int Initialize() = 0;                                   // negative: failure
  virtual int GetDisplayDriverVersion(uint32_t recordVersion) = 0;  // on the default display
  virtual int EnumNvidiaDisplayHandle(int index, uintptr_t* display) = 0;
  virtual int GetPhysicalGpusFromDisplay(uintptr_t display, uintptr_t (&gpus)[kGpuMaxPhysicalGpus],
                                         uint32_t* count) = 0;
  // Sensor 0's current temperature of one GPU, in degrees Celsius.
  virtual int GetThermalSettings(uintptr_t gpu, uint32_t sensorIndex, uint32_t recordVersion,
                                 uint32_t* currentTemperature) = 0;
};

}  // namespace korvath
