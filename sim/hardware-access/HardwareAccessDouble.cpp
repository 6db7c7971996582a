// Test double of the hardware-access library: the six entries Korvath binds
// by ordinal, serving registers from simulated-machine.ini beside this DLL.
// Register calls act on the logical processor the calling thread runs on.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Processor.h"
#include "platform/TextFormat.h"
#include "platform/sim/MachineDescription.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/win32/ModulePath.h"

namespace korvath {
namespace {

constexpr wchar_t kMachineFileName[] = L"simulated-machine.ini";
// What the double reports when its machine file is missing or malformed.
constexpr int kStatusUnknownError = 9;

struct DoubleState {
  std::mutex lock;
  bool opened = false;
  int status = kHardwareAccessDriverNotFound;
  bool msrSupport = false;
  std::optional<SimulatedProcessor> machine;
};

DoubleState& State() {
  static DoubleState state;
  return state;
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// A broken machine file must not look like a working driver; say why on
// stderr and in the debugger output, where a test run can see it.
void Complain(const std::string& message) {
  std::string line = "hardware-access double: " + message + "\n";
  std::fputs(line.c_str(), stderr);
  OutputDebugStringA(line.c_str());
}

// Wide-character file access, so that a folder name outside the ANSI code
// page still works.
bool ReadWholeFile(const std::wstring& path, std::string* contents) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) contents->append(buffer, read);
  CloseHandle(file);
  return true;
}

void LoadMachine(DoubleState& state) {
  std::wstring path = FolderOf(ModuleFileName(ThisModule())) + kMachineFileName;
  std::string text;
  MachineParseResult parsed;
  if (ReadWholeFile(path, &text)) {
    parsed = ParseMachineDescription(text);
  } else {
    parsed.error = "cannot read the machine file";
  }
  if (!parsed.machine) {
    Complain(Narrow(path) + ": " + parsed.error);
    state.status = kStatusUnknownError;
    state.msrSupport = false;
    return;
  }
  state.status = parsed.machine->driverStatus;
  state.msrSupport = parsed.machine->msrSupport;
  state.machine.emplace(std::move(*parsed.machine));
}

bool RegistersUsable(const DoubleState& state) {
  return state.opened && state.status == kHardwareAccessOk && state.msrSupport && state.machine;
}

int CurrentProcessor() { return static_cast<int>(GetCurrentProcessorNumber()); }

}  // namespace
}  // namespace korvath

using korvath::State;

// Exported by ordinal through HardwareAccessDouble.def only.
extern "C" {

BOOL WINAPI OpenHardwareAccess() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!state.opened) {
    korvath::LoadMachine(state);
    state.opened = true;
  }
  return state.status == korvath::kHardwareAccessOk;
}

DWORD WINAPI GetHardwareAccessStatus() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return static_cast<DWORD>(state.status);
}

BOOL WINAPI QueryMsrSupport() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.opened && state.msrSupport;
}

BOOL WINAPI ReadMsr(DWORD index, DWORD* low, DWORD* high) {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (low == nullptr || high == nullptr || !korvath::RegistersUsable(state)) return FALSE;
  if (state.machine->ReadFailsNow()) {
    *low = 0;
    *high = 0;
    return FALSE;
  }
  uint64_t value = state.machine->PeekMsr(korvath::CurrentProcessor(), index);
  *low = static_cast<DWORD>(value);
  *high = static_cast<DWORD>(value >> 32);
  return TRUE;
}

BOOL WINAPI WriteMsr(DWORD index, DWORD low, DWORD high) {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!korvath::RegistersUsable(state)) return FALSE;
  state.machine->PokeMsr(korvath::CurrentProcessor(), index, (static_cast<uint64_t>(high) << 32) | low);
  return TRUE;
}

VOID WINAPI CloseHardwareAccess() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.opened = false;
  state.status = korvath::kHardwareAccessDriverNotFound;
  state.msrSupport = false;
  state.machine.reset();
}

}  // extern "C"
