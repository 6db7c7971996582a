#include "platform/win32/Win32Processes.h"

#include <psapi.h>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

// Room for 1024 identifiers: the list a single call returns.
constexpr DWORD kProcessListSize = 1024;

}  // namespace

ProcessId Win32Processes::Start(const std::string& path, uint32_t affinityMask) {
  std::wstring application = Widen(path);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(application.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &created)) {
    return {};
  }
  HandleHolder thread(created.hThread);
  HandleHolder process(created.hProcess);
  SetProcessAffinityMask(process.Get(), static_cast<DWORD_PTR>(affinityMask));
  ProcessId id{created.dwProcessId};
  processes_[id.value] = std::move(process);
  return id;
}

bool Win32Processes::IsRunning(ProcessId process) const {
  if (!process) return false;
  // A process we started is judged by its own handle: once it has ended,
  // killed from outside or not, the handle we hold keeps its identifier in
  // the process list, and the list would call it running.
  auto ours = processes_.find(process.value);
  if (ours != processes_.end()) return WaitForSingleObject(ours->second.Get(), 0) == WAIT_TIMEOUT;
  DWORD ids[kProcessListSize];
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof(ids), &bytes) || bytes == 0) return false;
  DWORD count = bytes / sizeof(DWORD);
  for (DWORD i = 0; i < count; ++i) {
    if (ids[i] == process.value) return true;
  }
  return false;
}

void Win32Processes::Terminate(ProcessId process) {
  auto found = processes_.find(process.value);
  // Only ours: an identifier alone might by now name someone else's process.
  if (found == processes_.end()) return;
  ::TerminateProcess(found->second.Get(), 0);
  processes_.erase(found);
}

}  // namespace korvath
