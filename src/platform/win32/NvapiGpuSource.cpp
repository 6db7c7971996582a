#include "platform/win32/NvapiGpuSource.h"

#include <string>
#include <type_traits>

namespace korvath {

static_assert(nvapi::kMaxPhysicalGpus == kGpuMaxPhysicalGpus);
static_assert(kGpuDriverVersionRecordVersion ==
              (0x10000u | static_cast<uint32_t>(sizeof(nvapi::DriverVersionRecord))));
static_assert(kGpuThermalSettingsRecordVersion ==
              (0x10000u | static_cast<uint32_t>(sizeof(nvapi::ThermalSettingsRecord))));

const wchar_t* NvapiGpuSource::LibraryName() {
#if defined(_WIN64)
  return L"nvapi64.dll";
#else
  return L"nvapi.dll";
#endif
}

bool NvapiGpuSource::Load() {
  if (module_) return queryInterface_ != nullptr;
  // Only the system folder: a library of this name planted beside the
  // executable or in the current folder would run inside an elevated process.
  module_.reset(LoadLibraryExW(LibraryName(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // Windows 7 without its loader update refuses the flag; the full path of
  // the system folder's copy keeps the same promise there.
  if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER) {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      std::wstring path = std::wstring(folder, length) + L"\\" + LibraryName();
      module_.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }
  }
  if (!module_) return false;
  queryInterface_ = reinterpret_cast<nvapi::QueryInterfaceFunction>(
      reinterpret_cast<void*>(GetProcAddress(module_.get(), nvapi::kQueryInterfaceExport)));
  return queryInterface_ != nullptr;
}

template <typename Function>
Function NvapiGpuSource::Resolve(uint32_t interfaceId) const {
  if (queryInterface_ == nullptr) return nullptr;
  return reinterpret_cast<Function>(queryInterface_(interfaceId));
}

int NvapiGpuSource::Initialize() {
  if (queryInterface_ == nullptr) return kGpuLibraryNotInitialized;
  auto initialize = Resolve<nvapi::InitializeFunction>(nvapi::kInitializeId);
  if (initialize == nullptr) return kGpuNoImplementation;
  int result = initialize();
  if (result < 0) return result;
  initialized_ = true;
  // Resolved only once the library has started; a call it does not offer
  // stays null and answers kGpuNoImplementation.
  getDisplayDriverVersion_ =
      Resolve<nvapi::GetDisplayDriverVersionFunction>(nvapi::kGetDisplayDriverVersionId);
  enumNvidiaDisplayHandle_ =
      Resolve<nvapi::EnumNvidiaDisplayHandleFunction>(nvapi::kEnumNvidiaDisplayHandleId);
  getPhysicalGpusFromDisplay_ =
      Resolve<nvapi::GetPhysicalGpusFromDisplayFunction>(nvapi::kGetPhysicalGpusFromDisplayId);
  gpuGetThermalSettings_ =
      Resolve<nvapi::GpuGetThermalSettingsFunction>(nvapi::kGpuGetThermalSettingsId);
  return result;
}

int NvapiGpuSource::GetDisplayDriverVersion(uint32_t recordVersion) {
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (getDisplayDriverVersion_ == nullptr) return kGpuNoImplementation;
  driverVersion_ = {};
  driverVersion_.version = recordVersion;
  return getDisplayDriverVersion_(nullptr, &driverVersion_);
}

int NvapiGpuSource::EnumNvidiaDisplayHandle(int index, uintptr_t* display) {
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (enumNvidiaDisplayHandle_ == nullptr) return kGpuNoImplementation;
  if (display == nullptr || index < 0) return kGpuInvalidArgument;
  nvapi::DisplayHandle handle = nullptr;
  int result = enumNvidiaDisplayHandle_(static_cast<uint32_t>(index), &handle);
  if (result == kGpuOk) *display = reinterpret_cast<uintptr_t>(handle);
  return result;
}

int NvapiGpuSource::GetPhysicalGpusFromDisplay(uintptr_t display,
                                               uintptr_t (&gpus)[kGpuMaxPhysicalGpus],
                                               uint32_t* count) {
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (getPhysicalGpusFromDisplay_ == nullptr) return kGpuNoImplementation;
  if (count == nullptr) return kGpuInvalidArgument;
  nvapi::PhysicalGpuHandle handles[nvapi::kMaxPhysicalGpus] = {};
  uint32_t found = 0;
  int result = getPhysicalGpusFromDisplay_(reinterpret_cast<nvapi::DisplayHandle>(display),
                                           handles, &found);
  if (result != kGpuOk) return result;
  for (int i = 0; i < kGpuMaxPhysicalGpus; ++i) gpus[i] = reinterpret_cast<uintptr_t>(handles[i]);
  *count = found;
  return result;
}

int NvapiGpuSource::GetThermalSettings(uintptr_t gpu, uint32_t sensorIndex,
                                       uint32_t recordVersion, uint32_t* currentTemperature) {
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (gpuGetThermalSettings_ == nullptr) return kGpuNoImplementation;
  if (currentTemperature == nullptr) return kGpuInvalidArgument;
  // Asked for every sensor of any kind: sensor 0 of the GPU itself.
  if (thermalSettings_.version != recordVersion) {
    thermalSettings_ = {};
    thermalSettings_.version = recordVersion;
    thermalSettings_.count = 0;
    thermalSettings_.sensor[0].controller = nvapi::kThermalControllerUnknown;
    thermalSettings_.sensor[0].target = nvapi::kThermalTargetGpu;
  }
  int result = gpuGetThermalSettings_(reinterpret_cast<nvapi::PhysicalGpuHandle>(gpu), sensorIndex,
                                      &thermalSettings_);
  if (result == kGpuOk) *currentTemperature = thermalSettings_.sensor[0].currentTemperature;
  return result;
}

}  // namespace korvath
