#include "app/StartUp.h"

#include <windows.h>

#include "platform/TextFormat.h"

namespace korvath {

void RestrictDllSearchToSystem() {
  // Looked up at run time: Windows 7 without its loader update lacks the
  // call, and a static import would keep the program from starting there.
  using SetDefaultDllDirectoriesEntry = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC address = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  if (address != nullptr) {
    auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesEntry>(reinterpret_cast<void (*)()>(address));
    if (setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  }
  // The older safeguard: at least take the current folder out of the order.
  SetDllDirectoryW(L"");
}

int ShowFatalError(const FatalError& error) {
  MessageBoxW(nullptr, Widen(error.text).c_str(), Widen(error.caption).c_str(), MB_OK | MB_ICONERROR);
  return error.exitCode;
}

}  // namespace korvath
