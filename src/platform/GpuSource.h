// The seam to the GPU driver interface: the five calls the GPU sensor makes,
// each answering 0 on success as the driver does.
#pragma once

#include <cstdint>

namespace korvath {

inline constexpr int kGpuMaxPhysicalGpus = 64;
inline constexpr int kGpuMaxDisplayHandles = 128;

// Record versions the driver checks: the record's size in the low word and
// the layout version in the high word.
inline constexpr uint32_t kGpuDriverVersionRecordVersion = 0x1008C;     // 140 bytes, version 1
inline constexpr uint32_t kGpuThermalSettingsRecordVersion = 0x10044;   // 68 bytes, version 1

// Answers of the calls. Only 0 and "negative" carry meaning for the sensor;
// the distinct failure codes let the doubles say why a call was refused.
inline constexpr int kGpuOk = 0;
inline constexpr int kGpuError = -1;
inline constexpr int kGpuLibraryNotInitialized = -2;
inline constexpr int kGpuNoImplementation = -3;
inline constexpr int kGpuInvalidArgument = -4;
inline constexpr int kGpuDeviceNotFound = -5;
inline constexpr int kGpuIncompatibleRecordVersion = -6;
inline constexpr int kGpuInvalidHandle = -7;

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
