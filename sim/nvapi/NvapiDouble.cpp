// A stand-in for the GPU driver library for tests under Wine: it exports the
// library's query entry point and serves the [gpu] temperatures of
// simulated-machine.ini in the folder of the program that loaded it. A
// missing or unreadable machine file, or one without a [gpu] section, makes
// initialisation fail as on a machine without the GPU.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/sim/MachineDescription.h"
#include "platform/sim/SimulatedGpuSource.h"
#include "platform/win32/NvapiInterface.h"

namespace korvath {
namespace {

std::wstring MachineFilePath() {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  if (length == 0 || length >= std::size(path)) return {};
  std::wstring folder(path, length);
  size_t slash = folder.find_last_of(L"\\/");
  folder.erase(slash == std::wstring::npos ? 0 : slash + 1);
  return folder + L"simulated-machine.ini";
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string contents;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    contents.append(buffer, read);
  }
  CloseHandle(file);
  return contents;
}

SimulatedGpuSource MakeDriver() {
  MachineParseResult parsed = ParseMachineDescription(ReadWholeFile(MachineFilePath()));
  SimulatedGpuSource driver(parsed.machine.value_or(MachineDescription{}));
  driver.Load();
  return driver;
}

// Built on the first call rather than when the library loads, so that no
// file is read inside the loader lock.
SimulatedGpuSource& Driver() {
  static SimulatedGpuSource driver = MakeDriver();
  // The double runs for as long as the program does; keep no call history.
  driver.ClearCalls();
  return driver;
}

int __cdecl Initialize() { return Driver().Initialize(); }

int __cdecl GetDisplayDriverVersion(nvapi::DisplayHandle display,
                                    nvapi::DriverVersionRecord* record) {
  if (record == nullptr) return kGpuInvalidArgument;
  if (display != nullptr &&
      reinterpret_cast<uintptr_t>(display) != SimulatedGpuSource::kDisplayHandle) {
    return kGpuInvalidHandle;
  }
  int result = Driver().GetDisplayDriverVersion(record->version);
  if (result != kGpuOk) return result;
  record->driverVersion = 18000;
  record->buildChangeList = 1;
  std::strcpy(record->buildBranch, "simulated");
  std::strcpy(record->adapterName, "Simulated GPU");
  return result;
}

int __cdecl EnumNvidiaDisplayHandle(uint32_t index, nvapi::DisplayHandle* display) {
  if (display == nullptr) return kGpuInvalidArgument;
  uintptr_t handle = 0;
  int result = Driver().EnumNvidiaDisplayHandle(index > 0x7FFFFFFF ? -1 : static_cast<int>(index),
                                                &handle);
  if (result == kGpuOk) *display = reinterpret_cast<nvapi::DisplayHandle>(handle);
  return result;
}

int __cdecl GetPhysicalGpusFromDisplay(nvapi::DisplayHandle display,
                                       nvapi::PhysicalGpuHandle* gpus, uint32_t* count) {
  if (gpus == nullptr || count == nullptr) return kGpuInvalidArgument;
  uintptr_t handles[kGpuMaxPhysicalGpus] = {};
  uint32_t found = 0;
  int result =
      Driver().GetPhysicalGpusFromDisplay(reinterpret_cast<uintptr_t>(display), handles, &found);
  if (result != kGpuOk) return result;
  for (uint32_t i = 0; i < found && i < kGpuMaxPhysicalGpus; ++i) {
    gpus[i] = reinterpret_cast<nvapi::PhysicalGpuHandle>(handles[i]);
  }
  *count = found;
  return result;
}

int __cdecl GpuGetThermalSettings(nvapi::PhysicalGpuHandle gpu, uint32_t sensorIndex,
                                  nvapi::ThermalSettingsRecord* record) {
  if (record == nullptr) return kGpuInvalidArgument;
  uint32_t temperature = 0;
  int result = Driver().GetThermalSettings(reinterpret_cast<uintptr_t>(gpu), sensorIndex,
                                           record->version, &temperature);
  if (result != kGpuOk) return result;
  record->count = 1;
  record->sensor[0].controller = 1;
  record->sensor[0].defaultMinTemperature = 0;
  record->sensor[0].defaultMaxTemperature = 127;
  record->sensor[0].currentTemperature = temperature;
  record->sensor[0].target = nvapi::kThermalTargetGpu;
  return result;
}

template <typename Function>
void* Entry(Function function) {
  return reinterpret_cast<void*>(function);
}

}  // namespace
}  // namespace korvath

extern "C" __declspec(dllexport) void* __cdecl nvapi_QueryInterface(uint32_t interfaceId) {
  using namespace korvath;
  switch (interfaceId) {
    case nvapi::kInitializeId: return Entry(&Initialize);
    case nvapi::kGetDisplayDriverVersionId: return Entry(&GetDisplayDriverVersion);
    case nvapi::kEnumNvidiaDisplayHandleId: return Entry(&EnumNvidiaDisplayHandle);
    case nvapi::kGetPhysicalGpusFromDisplayId: return Entry(&GetPhysicalGpusFromDisplay);
    case nvapi::kGpuGetThermalSettingsId: return Entry(&GpuGetThermalSettings);
    default: return nullptr;
  }
}
