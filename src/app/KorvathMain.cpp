// korvath.exe / korvath32.exe: the composition root of the real program.
#include <windows.h>

#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "config/SettingsPath.h"
#include "monitor/MainWindow.h"
#include "platform/TextFormat.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/NvapiGpuSource.h"
#include "platform/win32/Win32ProfileStore.h"
#include "platform/win32/Win32Processor.h"
#include "platform/win32/Win32TaskScheduler.h"
#include "platform/win32/Win32Threads.h"
#include "platform/win32/Win32TimeSource.h"

namespace {

// korvath.exe and korvath32.exe alike: both would reach the same registers.
constexpr const char* kProgram = "Korvath";

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  korvath::RestrictDllSearchToSystem();
  korvath::Win32TaskScheduler scheduler;
  if (std::optional<int> exitCode = korvath::RunCommandLineSwitches(kProgram, scheduler)) return *exitCode;
  if (std::optional<int> exitCode = korvath::ClaimSingleInstance(kProgram)) return *exitCode;
  korvath::Win32Processor processor;
  korvath::Win32TimeSource time;
  korvath::NvapiGpuSource gpu;
  korvath::Win32Threads threads;
  korvath::Win32ProfileStore settings(
      korvath::SettingsPathForModule(korvath::Narrow(korvath::ModuleFileName(nullptr))), "Korvath");
  // The clock thread only reads the time-stamp counter and pins itself,
  // which the real processor seam allows from any thread.
  return korvath::RunMainWindow({.window = {.processor = processor,
                                            .time = time,
                                            .settingsFile = settings,
                                            .threads = threads,
                                            .scheduler = &scheduler,
                                            .restoreMessageName = korvath::RestoreMessageName(kProgram)},
                                 .clockProcessor = processor,
                                 .clockTime = time,
                                 .gpu = gpu});
}
