// Start-up glue of the Windows executables: the DLL search order and the
// fatal start-up message box.
#pragma once

#include "hw/FatalError.h"

namespace korvath {

// Keeps every later library load out of the current folder and PATH; the
// first thing wWinMain does.
void RestrictDllSearchToSystem();

// The error-icon message box of a fatal start-up condition, with no owner
// window; returns the exit code the process ends with.
int ShowFatalError(const FatalError& error);

}  // namespace korvath
