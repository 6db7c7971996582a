#include "config/SettingsFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "config/ClockModulation.h"
#include "hw/CoreSlots.h"
#include "hw/MsrAccess.h"
#include "platform/Processor.h"
#include "platform/ProfileStore.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr int kPositionBias = 0x2000;

std::string SlotKey(const SettingKey& setting, int slot) { return Format(setting.name, slot); }

int ReadNumber(ProfileStore& store, const SettingKey& setting, const std::string& name) {
  return ApplySettingRule(setting, store.ReadInt(name, setting.defaultValue));
}

int ReadNumber(ProfileStore& store, const SettingKey& setting) {
  return ReadNumber(store, setting, setting.name);
}

std::string ReadText(ProfileStore& store, const SettingKey& setting, const std::string& name) {
  return store.ReadString(name, setting.defaultText, setting.bufferSize);
}

std::string ReadText(ProfileStore& store, const SettingKey& setting) {
  return ReadText(store, setting, setting.name);
}

void WriteValue(ProfileStore& store, const SettingKey& setting, const std::string& name, uint32_t value) {
  if (setting.format == SettingFormat::kColor) {
    store.WriteString(name, Format("0x%06X", value));
  } else {
    store.WriteString(name, Format("%d", static_cast<int>(value)));
  }
}

void WriteValue(ProfileStore& store, const SettingKey& setting, uint32_t value) {
  WriteValue(store, setting, setting.name, value);
}

void WriteValue(ProfileStore& store, const SettingKey& setting, int value) {
  WriteValue(store, setting, setting.name, static_cast<uint32_t>(value));
}

int ClampCoordinate(int value) { return std::clamp(value, -kPositionBias, 0xFFFF - kPositionBias); }

}  // namespace

double ParseLeadingDecimal(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool digitFirst = !text.empty() && text.front() >= '0' && text.front() <= '9';
  bool pointThenDigit = text.size() > 1 && text[0] == '.' && text[1] >= '0' && text[1] <= '9';
  if (!digitFirst && !pointThenDigit) return std::nan("");
  double value = 0;
  std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc()) return std::nan("");
  return negative ? -value : value;
}

uint32_t PackPosition(ScreenPoint point) {
  // Clamped so that a far-off coordinate cannot spill into the other half.
  uint32_t x = static_cast<uint32_t>(ClampCoordinate(point.x) + kPositionBias);
  uint32_t y = static_cast<uint32_t>(ClampCoordinate(point.y) + kPositionBias);
  return (y << 16) | x;
}

ScreenPoint UnpackPosition(uint32_t packed) {
  return {static_cast<int>(packed & 0xFFFF) - kPositionBias, static_cast<int>(packed >> 16) - kPositionBias};
}

uint32_t PackWindowPosition(ScreenPoint topLeft) {
  if (topLeft == ScreenPoint{0, 0}) topLeft.y = -1;
  return PackPosition(topLeft);
}

ScreenPoint UnpackWindowPosition(uint32_t packed) {
  ScreenPoint point = UnpackPosition(packed);
  if (point == ScreenPoint{0, -1}) point.y = 0;
  return point;
}

int ConvertIdleText(std::string_view text) {
  double scaled = ParseLeadingDecimal(text) * 100.0;
  // Anything this far out is out of range anyway; it must not reach the cast.
  if (!std::isfinite(scaled) || std::fabs(scaled) > 1e6) return 0;
  int hundredths = static_cast<int>(scaled);
  int tenths = hundredths > 0 ? (hundredths + 5) / 10 : (hundredths - 5) / 10;
  return (tenths < -199 || tenths > 99) ? 0 : tenths;
}

AppSettings ReadSettings(ProfileStore& store, const StartupFacts& facts, ClockModulation& clockModulation) {
  AppSettings s;
  s.gpuAvailable = facts.gpuAvailable;
  std::copy(std::begin(facts.coreSlotMask), std::end(facts.coreSlotMask), s.coreSlotMask);

  for (int n = 0; n < kCoreSlots; ++n) {
    s.tjMaxDetected[n] = facts.detectedTjMax[n];
    int tjMaxOverride = ReadNumber(store, key::kTjMax, SlotKey(key::kTjMax, n));
    s.tjMax[n] = tjMaxOverride != 0 ? tjMaxOverride : facts.detectedTjMax[n];
    s.idleCalibration[n] = ConvertIdleText(ReadText(store, key::kIdle, SlotKey(key::kIdle, n)));
  }
  for (int n = kCoreSlots; n < facts.displayCoreCount && n < kSettingCores; ++n) {
    s.coreTjMaxOverride[n] = ReadNumber(store, key::kTjMax, SlotKey(key::kTjMax, n));
    s.coreIdleCalibration[n] = ConvertIdleText(ReadText(store, key::kIdle, SlotKey(key::kIdle, n)));
  }

  s.logInterval = ReadNumber(store, key::kLogInterval);
  s.logFile = ReadNumber(store, key::kLogFile);
  s.trayInfo = ReadNumber(store, key::kTrayInfo);
  s.minimizeOnClose = ReadNumber(store, key::kMinimizeOnClose);
  s.alarm = ReadNumber(store, key::kAlarm);
  s.alarm1 = ReadNumber(store, key::kAlarm1);
  s.alarm2 = s.gpuAvailable ? ReadNumber(store, key::kAlarm2) : 0;
  s.hdWrite = ReadNumber(store, key::kHdWrite);
  s.fontNumber = ReadNumber(store, key::kFontNumber);
  s.bold = ReadNumber(store, key::kBold);
  s.fontWeightIncrement = s.bold ? 200 : 0;
  for (int n = 0; n < kIconSlots; ++n) {
    s.iconTextColor[n] = static_cast<uint32_t>(ReadNumber(store, key::kIconTextColor, SlotKey(key::kIconTextColor, n)));
  }

  s.clockMod = static_cast<uint32_t>(ReadNumber(store, key::kClockMod));
  clockModulation.ApplyAtStartup(s.clockMod);

  s.windowXY = static_cast<uint32_t>(ReadNumber(store, key::kWindowXY));
  s.anchorXY = static_cast<uint32_t>(ReadNumber(store, key::kAnchorXY));
  s.miniMode = ReadNumber(store, key::kMiniMode);
  s.taskBar = ReadNumber(store, key::kTaskBar);
  s.taskBarInFile = s.taskBar;
  s.startMinimized = ReadNumber(store, key::kStartMinimized);
  s.csv = ReadNumber(store, key::kCsv);
  s.onTop = ReadNumber(store, key::kOnTop);
  s.alarmFile = ReadText(store, key::kAlarmFile);
  s.metricsFile = ReadText(store, key::kMetricsFile);

  // Alarm2 was read before this, so NoGPU keeps a GPU threshold in the file.
  s.noGpu = ReadNumber(store, key::kNoGpu);
  if (s.noGpu) s.gpuAvailable = false;
  s.gpuShown = s.gpuAvailable;

  s.degreeSymbolString = ReadText(store, key::kDegreeSymbolString);
  if (!s.degreeSymbolString.empty()) s.degreeSuffix = s.degreeSymbolString;

  s.guiColor = static_cast<uint32_t>(ReadNumber(store, key::kGuiColor));
  s.guiMiniColor = static_cast<uint32_t>(ReadNumber(store, key::kGuiMiniColor));
  s.guiText = static_cast<uint32_t>(ReadNumber(store, key::kGuiText));
  s.guiMiniText = static_cast<uint32_t>(ReadNumber(store, key::kGuiMiniText));
  s.customGui = ReadNumber(store, key::kCustomGui);
  s.customGuiMini = ReadNumber(store, key::kCustomGuiMini);

  s.skull = ReadNumber(store, key::kSkull);
  CpuInfo slots;
  slots.coreCount = facts.coreCount;
  slots.signature = facts.signature;
  std::copy(std::begin(facts.coreOfProcessor), std::end(facts.coreOfProcessor), slots.coreOfProcessor);
  std::copy(std::begin(s.coreSlotMask), std::end(s.coreSlotMask), slots.coreSlotMask);
  ApplySkullSetting(slots, s.skull);
  std::copy(std::begin(slots.coreSlotMask), std::end(slots.coreSlotMask), s.coreSlotMask);
  return s;
}

void ReadIconShow(ProfileStore& store, AppSettings& settings) {
  settings.iconShow = static_cast<uint32_t>(ReadNumber(store, key::kIconShow));
  if (!settings.gpuAvailable) settings.iconShow &= ~kGpuIconBit;
}

void WriteDialogSettings(ProfileStore& store, const AppSettings& s) {
  for (int n = 0; n < kCoreSlots; ++n) {
    if (!s.SlotUsed(n)) continue;
    WriteValue(store, key::kIconTextColor, SlotKey(key::kIconTextColor, n), s.iconTextColor[n]);
    store.WriteString(SlotKey(key::kIdle, n), Format("%.1f", s.idleCalibration[n] / 10.0));
    // From now on the file fixes TjMax, even where it was only detected.
    WriteValue(store, key::kTjMax, SlotKey(key::kTjMax, n), static_cast<uint32_t>(s.tjMax[n]));
  }
  if (s.gpuShown) {
    WriteValue(store, key::kIconTextColor, SlotKey(key::kIconTextColor, kGpuIcon), s.iconTextColor[kGpuIcon]);
  }
  WriteValue(store, key::kIconShow, s.iconShow);
  WriteValue(store, key::kFontNumber, s.fontNumber);
  WriteValue(store, key::kStartMinimized, s.startMinimized);
  WriteValue(store, key::kTaskBar, s.taskBar);
  WriteValue(store, key::kOnTop, s.onTop);
  WriteValue(store, key::kTrayInfo, s.trayInfo);
  WriteValue(store, key::kLogFile, s.logFile);
  WriteValue(store, key::kLogInterval, s.logInterval);
  WriteValue(store, key::kAlarm, s.alarm);
  WriteValue(store, key::kAlarm1, s.alarm1);
  WriteValue(store, key::kAlarm2, s.alarm2);
  WriteValue(store, key::kCsv, s.csv);
  // Written even when empty, so clearing the path in the dialog sticks.
  store.WriteString(key::kAlarmFile.name, s.alarmFile);
  WriteValue(store, key::kGuiColor, s.guiColor);
  WriteValue(store, key::kGuiMiniColor, s.guiMiniColor);
  WriteValue(store, key::kGuiText, s.guiText);
  WriteValue(store, key::kGuiMiniText, s.guiMiniText);
  WriteValue(store, key::kCustomGui, s.customGui);
  WriteValue(store, key::kCustomGuiMini, s.customGuiMini);
}

void WriteWindowState(ProfileStore& store, const WindowState& state) {
  if (state.normalWindowRectSet) WriteValue(store, key::kWindowXY, PackWindowPosition(state.windowTopLeft));
  if (state.anchorPoint != ScreenPoint{} || state.anchorCopy != ScreenPoint{}) {
    WriteValue(store, key::kAnchorXY, PackPosition(state.anchorPoint));
  }
  store.WriteString(key::kMiniMode.name, state.miniMode ? "1" : "0");
  WriteValue(store, key::kIconShow, state.iconShow);
  store.WriteString(key::kApicId.name, state.apicIds);
  WriteValue(store, key::kClockMod, state.clockMod);
}

std::string ReadApicIds(MsrAccess& access) {
  std::string text;
  // The key names processors 0-7, however many the machine has.
  for (int i = 0; i < kSlotRuleProcessors; ++i) {
    if (!access.cpu().HasProcessor(i) || !access.PinToProcessor(i)) continue;
    uint32_t apicId = (access.processor().Cpuid(1, 0).ebx >> 24) & 7;
    text += Format("%d", static_cast<int>(apicId));
  }
  access.RestoreAffinity();
  return text;
}

}  // namespace korvath
