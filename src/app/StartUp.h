// Start-up glue of the real executables: the DLL search order, the real
// seams with the processor record, and the fatal start-up message box.
#pragma once

#include "hw/CpuInfo.h"
#include "hw/FatalError.h"
#include "hw/MsrAccess.h"
#include "platform/win32/NvapiGpuSource.h"
#include "platform/win32/Win32Processor.h"
#include "platform/win32/Win32TimeSource.h"

namespace korvath {

// Keeps every later library load out of the current folder and PATH; the
// first thing wWinMain does.
void RestrictDllSearchToSystem();

// The real seams and the process-wide processor record, created once when
// the process starts and living for the run.
struct RealMachine {
  RealMachine();
  RealMachine(const RealMachine&) = delete;
  RealMachine& operator=(const RealMachine&) = delete;

  Win32Processor processor;
  Win32TimeSource time;
  CpuInfo cpu;
  MsrAccess access;
  // The GPU driver library for the Monitor's GPU sensor; it stays loaded
  // for the run.
  NvapiGpuSource gpuSource;
};

// The error-icon message box of a fatal start-up condition, with no owner
// window; returns the exit code the process ends with.
int ShowFatalError(const FatalError& error);

}  // namespace korvath
