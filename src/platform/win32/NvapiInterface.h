// What the monitor relies on of the GPU driver library: its one exported
// entry point, the interface ids of the five calls it makes, and the two
// records those calls fill. Shared by the real GPU source and the test
// double of the library.
#pragma once

#include <cstdint>

namespace korvath::nvapi {

inline constexpr char kQueryInterfaceExport[] = "nvapi_QueryInterface";

inline constexpr uint32_t kInitializeId = 0x0150E828;
inline constexpr uint32_t kGetDisplayDriverVersionId = 0xF951A4D1;
inline constexpr uint32_t kEnumNvidiaDisplayHandleId = 0x9ABDD40D;
inline constexpr uint32_t kGetPhysicalGpusFromDisplayId = 0x34EF9506;
inline constexpr uint32_t kGpuGetThermalSettingsId = 0xE3640A56;

inline constexpr int kMaxPhysicalGpus = 64;
inline constexpr int kMaxThermalSensorsPerGpu = 3;

using DisplayHandle = void*;
using PhysicalGpuHandle = void*;

// The display driver's version record, version 1; only its version word is
// set by us, the rest is filled by the driver.
struct DriverVersionRecord {
  uint32_t version;
  uint32_t driverVersion;
  uint32_t buildChangeList;
  char buildBranch[64];
  char adapterName[64];
};
static_assert(sizeof(DriverVersionRecord) == 140, "the version word promises 140 bytes");

inline constexpr int32_t kThermalControllerUnknown = -1;
inline constexpr int32_t kThermalTargetGpu = 1;

struct ThermalSensor {
  int32_t controller;
  uint32_t defaultMinTemperature;
  uint32_t defaultMaxTemperature;
  uint32_t currentTemperature;  // degrees Celsius
  int32_t target;
};

// A GPU's thermal settings record, version 1.
struct ThermalSettingsRecord {
  uint32_t version;
  uint32_t count;
  ThermalSensor sensor[kMaxThermalSensorsPerGpu];
};
static_assert(sizeof(ThermalSettingsRecord) == 68, "the version word promises 68 bytes");

using QueryInterfaceFunction = void*(__cdecl*)(uint32_t interfaceId);
using InitializeFunction = int(__cdecl*)();
using GetDisplayDriverVersionFunction = int(__cdecl*)(DisplayHandle display,
                                                      DriverVersionRecord* record);
using EnumNvidiaDisplayHandleFunction = int(__cdecl*)(uint32_t index, DisplayHandle* display);
using GetPhysicalGpusFromDisplayFunction = int(__cdecl*)(DisplayHandle display,
                                                         PhysicalGpuHandle* gpus,
                                                         uint32_t* count);
using GpuGetThermalSettingsFunction = int(__cdecl*)(PhysicalGpuHandle gpu, uint32_t sensorIndex,
                                                    ThermalSettingsRecord* record);

}  // namespace korvath::nvapi
