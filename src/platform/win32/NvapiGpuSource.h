// The GPU driver library, loaded at run time from the Windows system folder
// only, and its five calls resolved through the library's query entry point.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/GpuSource.h"
#include "platform/win32/NvapiInterface.h"

namespace korvath {

class NvapiGpuSource : public GpuSource {
 public:
  // nvapi64.dll in the 64-bit build, nvapi.dll in the 32-bit build.
  static const wchar_t* LibraryName();

  NvapiGpuSource() = default;

  bool Load() override;
  int Initialize() override;
  int GetDisplayDriverVersion(uint32_t recordVersion) override;
  int EnumNvidiaDisplayHandle(int index, uintptr_t* display) override;
  int GetPhysicalGpusFromDisplay(uintptr_t display, uintptr_t (&gpus)[kGpuMaxPhysicalGpus],
                                 uint32_t* count) override;
  int GetThermalSettings(uintptr_t gpu, uint32_t sensorIndex, uint32_t recordVersion,
                         uint32_t* currentTemperature) override;

 private:
  struct ModuleDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
  };

  template <typename Function>
  Function Resolve(uint32_t interfaceId) const;

  std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter> module_;
  nvapi::QueryInterfaceFunction queryInterface_ = nullptr;
  bool initialized_ = false;
  nvapi::GetDisplayDriverVersionFunction getDisplayDriverVersion_ = nullptr;
  nvapi::EnumNvidiaDisplayHandleFunction enumNvidiaDisplayHandle_ = nullptr;
  nvapi::GetPhysicalGpusFromDisplayFunction getPhysicalGpusFromDisplay_ = nullptr;
  nvapi::GpuGetThermalSettingsFunction gpuGetThermalSettings_ = nullptr;
  nvapi::DriverVersionRecord driverVersion_ = {};
  nvapi::ThermalSettingsRecord thermalSettings_ = {};
};

}  // namespace korvath
