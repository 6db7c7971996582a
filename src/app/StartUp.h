// Start-up glue of the Windows executables: the DLL search order, the
// command line, one instance per session, the monitor and its window, and
// the fatal start-up message box.
#pragma once

#include <optional>
#include <string>

#include "hw/FatalError.h"
#include "monitor/MainWindow.h"

namespace korvath {

class GpuSource;
class Processor;
class TaskScheduler;
class TimeSource;

// What the composition root hands over: the window's seams, and those only
// the monitor reads (the clock thread's own processor state and clock, the
// GPU).
struct StartUpSeams {
  MainWindowSeams window;
  Processor& clockProcessor;
  TimeSource& clockTime;
  GpuSource& gpu;
};

// Keeps every later library load out of the current folder and PATH; the
// first thing wWinMain does.
void RestrictDllSearchToSystem();

// The error-icon message box of a fatal start-up condition, with no owner
// window; returns the exit code the process ends with.
int ShowFatalError(const FatalError& error);

// Builds the monitor on the seams and the main window's halves of them, and
// runs the window on it until it closes. A fatal start-up shows no window:
// its box comes up here and the exit code is returned.
int RunMainWindow(const StartUpSeams& seams);

// Runs the command line's switches, writing to the console of the program
// that started this one; nothing when there are none and the window starts.
std::optional<int> RunCommandLineSwitches(const std::string& program, TaskScheduler& scheduler);

// Takes this session's place for program ("Korvath", "Korvath-sim"), or,
// when another instance holds it, brings that one's window up (or says it
// runs in another session) and gives the exit code.
std::optional<int> ClaimSingleInstance(const std::string& program);

}  // namespace korvath
