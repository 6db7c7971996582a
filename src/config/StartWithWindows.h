// "Start with Windows": a scheduler task that starts Korvath at the user's
// logon with the highest rights, so that the driver loads without a consent
// prompt. What is shown is read from the task itself, never from a setting,
// so it stays right after Korvath is moved or reinstalled.
#pragma once

#include <string>

#include "platform/Desktop.h"
#include "platform/TaskScheduler.h"

namespace korvath {

inline constexpr const char* kStartupTaskPath = "\\Korvath\\Korvath";
inline constexpr const char* kStartWithWindowsText = "Start with Windows";
// The shell's notification area is up by then at a logon.
inline constexpr int kStartupDelaySeconds = 15;

struct StartupTaskDefinition {
  std::string command;           // the executable's full path
  std::string workingDirectory;  // its folder
  std::string userId;            // whose logon starts it, and who it runs as
  int delaySeconds = kStartupDelaySeconds;
};

StartupTaskDefinition StartupTaskFor(const std::string& executablePath, const std::string& userId);
// The scheduler's XML: a logon trigger for the user, run at the highest
// level, no time limit, started and kept on battery.
std::string StartupTaskXml(const StartupTaskDefinition& definition);
// Windows paths: the same file whatever the case of the letters, and with
// or without the quotes a hand-made task may carry.
bool SameExecutable(const std::string& a, const std::string& b);

// What failed and what to do, as the message box says it; and the same on
// one line for the command line.
std::string StartupFailureText(const SchedulerResult& result, bool turningOn);
std::string StartupFailureLine(const SchedulerResult& result, bool turningOn);

// Whether the task is there and starts this executable; on is false when
// the scheduler cannot be read.
SchedulerResult ReadStartupTask(TaskScheduler& scheduler, const std::string& executablePath, bool& on);
// Registers the task for this executable (replacing one that starts another
// copy) or deletes it.
SchedulerResult SetStartupTask(TaskScheduler& scheduler, const std::string& executablePath, bool on);

// The check item and check box over the task.
class StartWithWindows {
 public:
  StartWithWindows(TaskScheduler& scheduler, Desktop& desktop, std::string executablePath)
      : scheduler_(scheduler), desktop_(desktop), executablePath_(std::move(executablePath)) {}

  // False as well when the scheduler cannot be read.
  bool IsOn();
  // Registers or deletes the task; on failure a message box that says what failed and what to do.
  // Returns what the task is afterwards.
  bool Change(bool on, OwnerWindow owner = kDesktopOwner);

 private:
  TaskScheduler& scheduler_;
  Desktop& desktop_;
  std::string executablePath_;
};

}  // namespace korvath
