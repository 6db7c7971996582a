#include "monitor/AlarmMonitor.h"

#include <string>

#include "platform/FolderPath.h"

namespace korvath {

AlarmMonitor::AlarmMonitor(const AppSettings& settings, Desktop& desktop, std::function<void()> flashWindow,
                           std::string_view folder)
    : settings_(settings),
      desktop_(desktop),
      flashWindow_(std::move(flashWindow)),
      folder_(folder),
      warningSoundPath_(PathInFolder(kWarningSoundFile, folder)) {}

void AlarmMonitor::CheckCpu(int temperature) {
  if (settings_.alarm && temperature >= settings_.alarm1) alarmThisCycle_ = cpuAlarmThisCycle_ = true;
}

void AlarmMonitor::CheckGpu(int temperature) {
  if (settings_.alarm && temperature >= settings_.alarm2) alarmThisCycle_ = gpuAlarmThisCycle_ = true;
}

void AlarmMonitor::RunActions(uint64_t cycleCount) {
  if (!alarmThisCycle_) return;
  if (flashWindow_) flashWindow_();
  if (!alarmProgramStarted_) {
    // Set before the shell is asked: the message box below lets nested cycles
    // run, and they must not open the file or show the box again.
    alarmProgramStarted_ = true;
    // The box names the file as the settings do; the shell gets it whole,
    // never to be looked for in the current folder or on PATH.
    std::string file = settings_.alarmFile;
    if (!file.empty() && !desktop_.ShellOpen(PathInFolder(file, folder_))) {
      desktop_.ShowMessageBox("Alarm file not found.\n\n" + file + "   ", "Error", MessageBoxIcon::kError,
                              MessageBoxButtons::kOk);
    }
  }
  if (cycleCount % 6 == 0) desktop_.PlayWaveFile(warningSoundPath_);
}

}  // namespace korvath
