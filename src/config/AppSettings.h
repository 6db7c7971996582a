// Everything the user can set: the settings keys, each defined once with its
// format, default and rule, and the record that holds one value per key for
// the whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "hw/CpuInfo.h"

namespace korvath {

inline constexpr int kIconSlots = kCoreSlots + 1;  // the GPU is icon 4
// The settings file's TjMax and Idle keys reach this many cores; beyond the
// slots they have no dialog controls.
inline constexpr int kSettingCores = 64;
inline constexpr int kGpuIcon = 4;
inline constexpr uint32_t kGpuIconBit = 0x10;
inline constexpr int kTrayIconCount = kIconSlots;
inline constexpr int kGpuIconIndex = kGpuIcon;

// Bits of the IconShow mask beyond the per-icon bits 0 to 4: what the tray
// icons show.
inline constexpr uint32_t kIconShowGpu = kGpuIconBit;
inline constexpr uint32_t kIconShowMinimum = 0x200;
inline constexpr uint32_t kIconShowMaximum = 0x400;
inline constexpr uint32_t kIconShowAverage = 0x800;
inline constexpr uint32_t kIconShowDistance = 0x1000;

// How a value is written.
enum class SettingFormat {
  kInteger,  // "%d"; flags as 0 or 1
  kColor,    // "0x%06X"
  kIdle,     // "%.1f" of tenths of a degree
  kText,     // "%s"
};

// What reading does with the number found in the file.
enum class SettingRule {
  kAny,
  kFlag,            // non-zero is on
  kOnlyOneIsOn,     // only the value 1 is on
  kTjMaxOverride,   // 70..120 is taken, anything else keeps the detected TjMax
  kDividesHour,     // 1..3600 and a divisor of 3600, otherwise the default
  kAlarmThreshold,  // above 125 (unsigned, so negatives too) becomes 125
  kFlushSeconds,    // 0 becomes 1; above 86400 (unsigned) becomes 86400
  kFontChoice,      // outside 0..3 becomes 0
};

struct SettingKey {
  const char* name;  // per-slot keys carry "%d" for the slot
  SettingFormat format;
  SettingRule rule;
  int defaultValue;
  const char* defaultText;  // text keys only
  size_t bufferSize;        // text keys only: characters read, terminator included
};

namespace key {
inline constexpr SettingKey kTjMax{"TjMax%d", SettingFormat::kInteger, SettingRule::kTjMaxOverride, 0, nullptr, 0};
inline constexpr SettingKey kIdle{"Idle%d", SettingFormat::kIdle, SettingRule::kAny, 0, "0.0", 512};
inline constexpr SettingKey kLogInterval{"LogInterval", SettingFormat::kInteger, SettingRule::kDividesHour, 5, nullptr, 0};
inline constexpr SettingKey kLogFile{"LogFile", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kTrayInfo{"TrayInfo", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kMinimizeOnClose{"MinimizeOnClose", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kAlarm{"Alarm", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kAlarm1{"Alarm1", SettingFormat::kInteger, SettingRule::kAlarmThreshold, 100, nullptr, 0};
inline constexpr SettingKey kAlarm2{"Alarm2", SettingFormat::kInteger, SettingRule::kAlarmThreshold, 100, nullptr, 0};
inline constexpr SettingKey kHdWrite{"HDWrite", SettingFormat::kInteger, SettingRule::kFlushSeconds, 60, nullptr, 0};
inline constexpr SettingKey kFontNumber{"FontNumber", SettingFormat::kInteger, SettingRule::kFontChoice, 0, nullptr, 0};
inline constexpr SettingKey kBold{"Bold", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kIconTextColor{"IconTextColor%d", SettingFormat::kColor, SettingRule::kAny, 0xFFFFFF, nullptr, 0};
inline constexpr SettingKey kClockMod{"ClockMod", SettingFormat::kInteger, SettingRule::kAny, 0, nullptr, 0};
inline constexpr SettingKey kWindowXY{"WindowXY", SettingFormat::kInteger, SettingRule::kAny, 0, nullptr, 0};
inline constexpr SettingKey kAnchorXY{"AnchorXY", SettingFormat::kInteger, SettingRule::kAny, 0, nullptr, 0};
inline constexpr SettingKey kMiniMode{"MiniMode", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kTaskBar{"TaskBar", SettingFormat::kInteger, SettingRule::kOnlyOneIsOn, 0, nullptr, 0};
inline constexpr SettingKey kStartMinimized{"StartMinimized", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kCsv{"CSV", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kOnTop{"OnTop", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kAlarmFile{"AlarmFile", SettingFormat::kText, SettingRule::kAny, 0, "", 512};
inline constexpr SettingKey kMetricsFile{"MetricsFile", SettingFormat::kText, SettingRule::kAny, 0, "", 512};
inline constexpr SettingKey kNoGpu{"NoGPU", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kDegreeSymbolString{"DegreeSymbolString", SettingFormat::kText, SettingRule::kAny, 0, "", 12};
inline constexpr SettingKey kGuiColor{"GUIColor", SettingFormat::kColor, SettingRule::kAny, 0xF4F3EE, nullptr, 0};
inline constexpr SettingKey kGuiMiniColor{"GUIMiniColor", SettingFormat::kColor, SettingRule::kAny, 0xF4F3EE, nullptr, 0};
inline constexpr SettingKey kGuiText{"GUIText", SettingFormat::kColor, SettingRule::kAny, 0, nullptr, 0};
inline constexpr SettingKey kGuiMiniText{"GUIMiniText", SettingFormat::kColor, SettingRule::kAny, 0, nullptr, 0};
inline constexpr SettingKey kCustomGui{"CustomGUI", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kCustomGuiMini{"CustomGUIMini", SettingFormat::kInteger, SettingRule::kFlag, 0, nullptr, 0};
inline constexpr SettingKey kSkull{"Skull", SettingFormat::kInteger, SettingRule::kAny, 0, nullptr, 0};
inline constexpr SettingKey kIconShow{"IconShow", SettingFormat::kInteger, SettingRule::kAny, 1, nullptr, 0};
inline constexpr SettingKey kApicId{"APICID", SettingFormat::kText, SettingRule::kAny, 0, "", 0};
}  // namespace key

// The number a key's rule makes of the value found in the file (the profile
// functions hand every integer back unsigned). kTjMaxOverride gives 0 for
// "keep the detected value".
int ApplySettingRule(const SettingKey& setting, unsigned value);

// One value per key, named after it; the defaults are those of a missing file
// on a machine without a GPU.
struct AppSettings {
  // Per display core slot.
  int tjMax[kCoreSlots] = {};          // in force: detected, or the TjMax override
  int tjMaxDetected[kCoreSlots] = {};  // what Defaults in the Settings dialog returns to
  int idleCalibration[kCoreSlots] = {};  // tenths of a degree, -199..99
  // Cores 4-63 (entries 0-3 unused): read from the file, never written. An
  // override of 0 keeps the detected TjMax.
  int coreTjMaxOverride[kSettingCores] = {};
  int coreIdleCalibration[kSettingCores] = {};
  uint32_t iconTextColor[kIconSlots] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

  int logInterval = 5;
  int logFile = 0;
  int trayInfo = 0;
  int minimizeOnClose = 0;
  int alarm = 0;
  int alarm1 = 100;
  int alarm2 = 0;  // 100 by default, but only with a GPU
  int hdWrite = 60;
  int fontNumber = 0;
  int bold = 0;
  int fontWeightIncrement = 0;  // 200 with Bold
  uint32_t clockMod = 0;        // as found in the file
  uint32_t windowXY = 0;        // packed positions, see PackPosition
  uint32_t anchorXY = 0;
  int miniMode = 0;
  int taskBar = 0;
  // TaskBar as the file holds it: the run may force the task bar on (no
  // tray icon to go back by), which is the run's state, not the user's choice.
  int taskBarInFile = 0;
  int startMinimized = 0;
  int csv = 0;
  int onTop = 0;
  std::string alarmFile;
  std::string metricsFile;  // hand-edited only; empty: no metrics file
  int noGpu = 0;
  std::string degreeSymbolString;
  std::string degreeSuffix = "\xC2\xB0" "C";  // shown after every temperature
  uint32_t guiColor = 0xF4F3EE;
  uint32_t guiMiniColor = 0xF4F3EE;
  uint32_t guiText = 0;
  uint32_t guiMiniText = 0;
  int customGui = 0;
  int customGuiMini = 0;
  int skull = 0;
  uint32_t iconShow = 1;  // bit n: icon of slot n; bit 4: the GPU icon; bits 9..12: what they show

  // Start-up facts as the keys leave them (NoGPU, Skull).
  bool gpuAvailable = false;
  bool gpuShown = false;
  uint32_t coreSlotMask[kCoreSlots] = {};

  bool SlotUsed(int slot) const { return coreSlotMask[slot] != 0; }
};

}  // namespace korvath
