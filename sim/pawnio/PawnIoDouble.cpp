// Test double of PawnIOLib.dll, the read-only driver's user-mode library,
// with its MSR module: serves the registers of simulated-machine.ini from the
// folder of the executable that loaded it, accepts any non-empty module and
// refuses what the real module refuses (access denied). 64-bit only, as the
// driver is.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/TextFormat.h"
#include "platform/sim/MachineDescription.h"
#include "platform/sim/ReadOnlyMsrModule.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/PerformanceCounterTime.h"

namespace korvath {
namespace {

constexpr char kMachineFileName[] = "simulated-machine.ini";

struct Session {
  std::mutex lock;
  bool moduleLoaded = false;
  PerformanceCounterTime time;
  std::unique_ptr<SimulatedProcessor> machine;
};

void Complain(const std::string& message) {
  std::string line = "read-only driver double: " + message + "\n";
  std::fputs(line.c_str(), stderr);
  OutputDebugStringA(line.c_str());
}

bool LoadMachine(Session& session) {
  std::string path = Narrow(ExecutableFolder()) + kMachineFileName;
  MachineParseResult parsed = LoadMachineDescription(path);
  if (!parsed.machine) {
    Complain(path + ": " + parsed.error);
    return false;
  }
  session.machine = std::make_unique<SimulatedProcessor>(std::move(*parsed.machine), &session.time);
  session.machine->SetRecording(false);
  return true;
}

Session* SessionOf(HANDLE handle) { return static_cast<Session*>(handle); }

// The processor the calling thread runs on; one the machine file does not
// have reads as the machine's first, so that a host with more processors
// than the file still gets its registers.
int CurrentProcessor(const SimulatedProcessor& machine) {
  int cpu = static_cast<int>(GetCurrentProcessorNumber());
  uint32_t system = machine.Machine().systemAffinity;
  if (cpu < 32 && (system & (1u << cpu)) != 0) return cpu;
  for (int first = 0; first < 32; ++first) {
    if (system & (1u << first)) return first;
  }
  return 0;
}

}  // namespace
}  // namespace korvath

extern "C" {

__declspec(dllexport) HRESULT WINAPI pawnio_open(HANDLE* handle) {
  if (handle == nullptr) return E_POINTER;
  auto session = std::make_unique<korvath::Session>();
  // Without a machine the driver is as good as not installed.
  if (!korvath::LoadMachine(*session)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  *handle = session.release();
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI pawnio_load(HANDLE handle, const UCHAR* blob, SIZE_T size) {
  if (handle == nullptr) return E_HANDLE;
  if (blob == nullptr || size == 0) return E_INVALIDARG;
  korvath::Session* session = korvath::SessionOf(handle);
  std::lock_guard<std::mutex> guard(session->lock);
  session->moduleLoaded = true;
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI pawnio_execute(HANDLE handle, PCSTR name, const ULONG64* in, SIZE_T inCount,
                                                     ULONG64* out, SIZE_T outCount, SIZE_T* returnedCount) {
  if (handle == nullptr) return E_HANDLE;
  if (name == nullptr || returnedCount == nullptr) return E_POINTER;
  korvath::Session* session = korvath::SessionOf(handle);
  std::lock_guard<std::mutex> guard(session->lock);
  *returnedCount = 0;
  if (!session->moduleLoaded) return E_FAIL;
  int cpu = korvath::CurrentProcessor(*session->machine);
  if (std::strcmp(name, "ioctl_read_msr") == 0) {
    if (in == nullptr || inCount < 1 || out == nullptr || outCount < 1) return E_INVALIDARG;
    uint32_t index = static_cast<uint32_t>(in[0]);
    if (!korvath::ReadOnlyModuleReads(index, session->machine->Machine().readOnlyCounters)) return E_ACCESSDENIED;
    out[0] = session->machine->PeekMsr(cpu, index);
    *returnedCount = 1;
    return S_OK;
  }
  if (std::strcmp(name, "ioctl_write_msr") == 0) {
    if (in == nullptr || inCount < 2) return E_INVALIDARG;
    // None of the registers Korvath writes is open to the module.
    return E_ACCESSDENIED;
  }
  return E_NOTIMPL;
}

__declspec(dllexport) HRESULT WINAPI pawnio_close(HANDLE handle) {
  if (handle == nullptr) return E_HANDLE;
  delete korvath::SessionOf(handle);
  return S_OK;
}

}  // extern "C"
