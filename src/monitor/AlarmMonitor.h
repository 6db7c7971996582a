// The CPU and GPU alarms: the per-cycle flag and the actions run while it is
// set (flash, the alarm file once per arming, the warning sound).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/AppSettings.h"
#include "platform/Desktop.h"

namespace korvath {

inline constexpr const char* kWarningSoundFile = "KVWarning.wav";

class AlarmMonitor {
 public:
  // flashWindow flashes the main window once (caption and task-bar button).
  // folder: the executable's folder, where the warning sound lies and where
  // an AlarmFile without a folder of its own is looked for; empty keeps the
  // bare names (simulated runs).
  AlarmMonitor(const AppSettings& settings, Desktop& desktop, std::function<void()> flashWindow,
               std::string_view folder = {});

  void BeginCycle() { alarmThisCycle_ = cpuAlarmThisCycle_ = gpuAlarmThisCycle_ = false; }
  void CheckCpu(int temperature);
  void CheckGpu(int temperature);
  bool AlarmThisCycle() const { return alarmThisCycle_; }
  // Which of the two sources raised it.
  bool CpuAlarmThisCycle() const { return cpuAlarmThisCycle_; }
  bool GpuAlarmThisCycle() const { return gpuAlarmThisCycle_; }

  // Runs the actions when this cycle alarmed. The missing-file message box runs
  // its own message loop, so further cycles may run inside this call; they
  // find the arming already used and open nothing.
  void RunActions(uint64_t cycleCount);

  // The Settings dialog's OK lets the alarm file be opened again.
  void Rearm() { alarmProgramStarted_ = false; }
  bool AlarmProgramStarted() const { return alarmProgramStarted_; }

 private:
  const AppSettings& settings_;
  Desktop& desktop_;
  std::function<void()> flashWindow_;
  std::string folder_;
  std::string warningSoundPath_;
  bool alarmThisCycle_ = false;
  bool cpuAlarmThisCycle_ = false;
  bool gpuAlarmThisCycle_ = false;
  bool alarmProgramStarted_ = false;
};

}  // namespace korvath
