// The live settings that the log, the alarms and the tray icons read and, for
// the tray mask and the task-bar behaviour, change. One instance for the run,
// changed in place by the Settings dialog and the tray menu.
#pragma once

#include <cstdint>
#include <string>

namespace korvath {

// Bits of the IconShow mask beyond the per-icon bits 0 to 4.
inline constexpr uint32_t kIconShowGpu = 0x10;
inline constexpr uint32_t kIconShowMinimum = 0x200;
inline constexpr uint32_t kIconShowMaximum = 0x400;
inline constexpr uint32_t kIconShowAverage = 0x800;
inline constexpr uint32_t kIconShowDistance = 0x1000;

inline constexpr int kTrayIconCount = 5;  // core slots 0-3, then the GPU
inline constexpr int kGpuIconIndex = 4;

struct MonitorSettings {
  // Log.
  bool logFile = false;
  int logInterval = 5;      // seconds; divides 3600
  uint32_t hdWrite = 60;    // seconds; 1 to 86400
  bool csv = false;

  // Alarms.
  bool alarm = false;
  int alarm1 = 100;         // CPU threshold in degrees
  int alarm2 = 100;         // GPU threshold; 0 without a GPU
  std::string alarmFile;

  // Tray icons and the window.
  uint32_t iconShow = 1;
  bool trayInfo = false;
  bool taskBar = false;
  bool minimizeOnClose = false;
  int fontNumber = 0;       // 0 to 3
  uint32_t iconTextColor[kTrayIconCount] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
};

}  // namespace korvath
