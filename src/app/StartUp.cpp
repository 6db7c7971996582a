#include "app/StartUp.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "monitor/MainWindow.h"
#include "monitor/Monitor.h"
#include "platform/StdFileAppender.h"
#include "platform/TextFormat.h"
#include "platform/win32/ModulePath.h"

namespace korvath {
namespace {

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

// A handle redirected to a file or pipe takes the bytes as they are; a
// console (the parent's, since a window program has none of its own) takes
// wide text. False when there is neither.
bool WriteToParent(const std::string& text, DWORD which) {
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE && !GetConsoleMode(handle, &mode) &&
      GetFileType(handle) != FILE_TYPE_UNKNOWN) {
    DWORD written = 0;
    return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return false;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return false;
  std::wstring wide;
  for (wchar_t c : Widen(text)) {
    if (c == L'\n') wide += L'\r';
    wide += c;
  }
  DWORD written = 0;
  bool done = WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != FALSE;
  CloseHandle(console);
  return done;
}

// Whether a named mutex was there before: one that cannot be opened belongs
// to another user, so it is there too. The handle stays open for the
// process's life; Windows closes it at exit.
bool MutexHeldBefore(const std::string& name) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(name).c_str());
  if (mutex == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

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

int RunMainWindow(const StartUpSeams& seams) {
  StdFileAppender logFiles;
  MainWindow window(seams.window);
  Monitor monitor(MonitorSeams{.processor = seams.window.processor,
                               .time = seams.window.time,
                               .clockProcessor = seams.clockProcessor,
                               .clockTime = seams.clockTime,
                               .desktop = window.desktop(),
                               .gpu = seams.gpu,
                               .settingsFile = seams.window.settingsFile,
                               .logFiles = logFiles,
                               .trayShell = window.trayShell(),
                               .trayPainter = window.trayPainter(),
                               .applicationIcon = window.applicationIcon(),
                               .startClockThread = true,
                               .onClockThreadStart =
                                   [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL); },
                               .metricsFiles = &window.metricsFiles(),
                               .executableFolder = Narrow(ExecutableFolder())},
                  window);
  if (std::optional<FatalError> fatal = window.Run(monitor)) return ShowFatalError(*fatal);
  return 0;
}

std::optional<int> RunCommandLineSwitches(const std::string& program, TaskScheduler& scheduler) {
  std::wstring path = ModuleFileName(nullptr);
  std::wstring name = path.substr(FolderOf(path).size());
  CommandLineOutput output;
  std::optional<int> exitCode =
      RunCommandLine(CommandLineArguments(), Narrow(name), scheduler, Narrow(path), output);
  if (!exitCode) return exitCode;
  if (!output.error.empty()) WriteToParent(output.error, STD_ERROR_HANDLE);
  // Asked for from the Run box or a shortcut, the list has no console to go to.
  if (!output.out.empty() && !WriteToParent(output.out, STD_OUTPUT_HANDLE)) {
    MessageBoxW(nullptr, Widen(output.out).c_str(), Widen(program).c_str(), MB_OK | MB_ICONINFORMATION);
  }
  return exitCode;
}

std::optional<int> ClaimSingleInstance(const std::string& program) {
  bool sessionHeld = MutexHeldBefore(SessionMutexName(program));
  bool machineHeld = !sessionHeld && MutexHeldBefore(MachineMutexName(program));
  switch (DecideInstance(sessionHeld, machineHeld)) {
    case InstanceVerdict::kFirst: return std::nullopt;
    case InstanceVerdict::kRunningInThisSession: {
      // The user started this one, so it may hand the foreground on.
      AllowSetForegroundWindow(ASFW_ANY);
      UINT message = RegisterWindowMessageW(Widen(RestoreMessageName(program)).c_str());
      if (message != 0) PostMessageW(HWND_BROADCAST, message, 0, 0);
      return 0;
    }
    case InstanceVerdict::kRunningInOtherSession:
      MessageBoxW(nullptr, Widen(kOtherSessionText).c_str(), Widen(program).c_str(), MB_OK | MB_ICONINFORMATION);
      return 0;
  }
  return std::nullopt;
}

}  // namespace korvath
