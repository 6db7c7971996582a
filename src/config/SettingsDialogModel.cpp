#include "config/SettingsDialogModel.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "config/ClockModulation.h"
#include "config/SettingsFile.h"
#include "config/StartWithWindows.h"
#include "platform/ControlSurface.h"
#include "platform/Desktop.h"
#include "platform/TextFormat.h"
#include "resources/resource.h"

namespace korvath {

// The side rule of the windows that open beside the main window, kept with
// the Sensor Test window (whose header brings names this file has already).
WindowRect PlaceBesideMainWindow(const WindowRect& mainWindow, const WindowRect& dialog, int screenWidth);

namespace {

constexpr size_t kShortPathLimit = 36;
constexpr size_t kShortPathHead = 10;
constexpr size_t kShortPathTail = 22;
constexpr uint32_t kLowestTjMax = 70;
constexpr uint32_t kHighestTjMax = 120;
constexpr uint32_t kHighestAlarm = 125;
constexpr uint32_t kSecondsPerHour = 3600;
constexpr int kDefaultLogInterval = 5;
constexpr int kDefaultGpuAlarm = 100;

constexpr int kFontRadios[] = {IDC_FONT_OPTION0, IDC_FONT_OPTION1, IDC_FONT_OPTION2, IDC_FONT_OPTION3};

std::string IdleText(int tenths) { return Format("%.1f", tenths / 10.0); }

}  // namespace

// The path is UTF-8: it is cut at character boundaries, counting characters
// (a character beyond the basic plane, a UTF-16 surrogate pair, is one).
std::string ShortenedAlarmPath(const std::string& path) {
  std::vector<size_t> starts;  // byte offset of every character
  for (size_t i = 0; i < path.size(); ++i) {
    if ((static_cast<unsigned char>(path[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  if (starts.size() < kShortPathLimit) return path;
  return path.substr(0, starts[kShortPathHead]) + "..." + path.substr(starts[starts.size() - kShortPathTail]);
}

int ValidateIdleText(const std::string& text) {
  // Read as the settings file reads it, so that a text means the same in both.
  double value = ParseLeadingDecimal(text);
  if (!std::isfinite(value)) value = 0;
  if (value < -19.9) value = -19.9;
  if (value > 9.9) value = 9.9;
  return static_cast<int>(value >= 0 ? value * 10 + 0.5 : value * 10 - 0.5);
}

uint32_t NearestDivisorOfHour(uint32_t seconds) {
  uint32_t value = seconds < 1 ? 1 : (seconds > kSecondsPerHour ? kSecondsPerHour : seconds);
  if (kSecondsPerHour % value == 0) return value;
  uint32_t below = value;
  while (kSecondsPerHour % below != 0) --below;
  uint32_t above = value;
  while (kSecondsPerHour % above != 0) ++above;
  return value - below < above - value ? below : above;
}

SettingsDialogModel::SettingsDialogModel(ControlSurface& controls, SettingsDialogWindow& window,
                                         const SettingsDialogLinks& links, RefusalPrompt prompt)
    : controls_(controls), window_(window), links_(links), settings_(links.settings), prompt_(std::move(prompt)) {}

bool SettingsDialogModel::Transfer(bool save) {
  return UpdateData(controls_, prompt_, save, [this](DataExchange& dx) {
    for (int n = 0; n < kCoreSlots; ++n) dx.ExchangeText(IDC_IDLE_CALIBRATION0 + n, idleText_[n]);
    for (int n = 0; n < kCoreSlots; ++n) dx.ExchangeUnsigned(IDC_TJ_MAX0 + n, tjMax_[n]);
    for (int n = 0; n < kCoreSlots; ++n) dx.ExchangeCheck(IDC_CORE_DISPLAY0 + n, trayCheck_[n]);
    dx.ExchangeCheck(IDC_GPU_DISPLAY, gpuTrayCheck_);
    dx.ExchangeCheck(IDC_HOTTEST_DISPLAY, hottestTrayCheck_);
    dx.ExchangeRadio({IDC_FONT_OPTION0, IDC_FONT_OPTION1, IDC_FONT_OPTION2, IDC_FONT_OPTION3}, fontIndex_);
    dx.ExchangeCheck(IDC_MINIMIZED, startMinimized_);
    dx.ExchangeCheck(IDC_TASK_BAR, taskBar_);
    dx.ExchangeCheck(IDC_ON_TOP, onTop_);
    dx.ExchangeCheck(IDC_LOG_FILE, logFile_);
    dx.ExchangeUnsigned(IDC_LOG_SECONDS, logInterval_);
    dx.ExchangeCheck(IDC_SET_TJ_MAX, setTjMax_);
    dx.ExchangeCheck(IDC_TRAY_INFO, trayInfo_);
    dx.ExchangeText(IDC_CORE_VID_MAX, vidMax_);
    dx.ExchangeText(IDC_CORE_VID_MIN, vidMin_);
    dx.ExchangeCheck(IDC_ALARMS, alarm_);
    dx.ExchangeUnsigned(IDC_ALARM_CPU, alarm1_);
    dx.ExchangeUnsigned(IDC_ALARM_GPU, alarm2_);
    dx.ExchangeCheck(IDC_EXCEL_CSV_FORMAT, csv_);
    dx.ExchangeCheck(IDC_CUSTOM_NORMAL, customGui_);
    dx.ExchangeCheck(IDC_CUSTOM_MINI_MODE, customGuiMini_);
    dx.ExchangeCheck(IDC_CLOCK_MODULATION, clockModulationOn_);
    dx.ExchangeText(IDC_CLOCK_MODULATION_DUTY, dutyText_);
    dx.ExchangeText(IDC_ALARM_FILE, alarmPath_);
    if (links_.startWithWindows) dx.ExchangeCheck(IDC_START_WITH_WINDOWS, startWithWindows_);
  });
}

void SettingsDialogModel::ForceCoreIconsRedraw() {
  for (int n = 0; n < kCoreSlots; ++n) links_.tray.RedrawIcon(n);
}

bool SettingsDialogModel::TrayIconShown() const { return links_.tray.AnyIconShown(); }

void SettingsDialogModel::SetTaskBarForced() {
  settings_.taskBar = 1;
  taskBar_ = 1;
}

void SettingsDialogModel::TakeSnapshot() {
  SettingsSnapshot& s = snapshot_;
  for (int n = 0; n < kCoreSlots; ++n) {
    s.idle[n] = settings_.idleCalibration[n];
    s.tjMax[n] = settings_.tjMax[n];
  }
  for (int i = 0; i < kIconSlots; ++i) s.iconTextColor[i] = settings_.iconTextColor[i];
  s.fontNumber = settings_.fontNumber;
  s.startMinimized = settings_.startMinimized;
  s.taskBar = settings_.taskBar;
  s.onTop = settings_.onTop;
  s.trayInfo = settings_.trayInfo;
  s.logFile = settings_.logFile;
  s.logInterval = settings_.logInterval;
  s.alarm = settings_.alarm;
  s.alarm1 = settings_.alarm1;
  s.alarm2 = settings_.alarm2;
  s.csv = settings_.csv;
  s.guiColor = settings_.guiColor;
  s.guiMiniColor = settings_.guiMiniColor;
  s.guiText = settings_.guiText;
  s.guiMiniText = settings_.guiMiniText;
  s.customGui = settings_.customGui;
  s.customGuiMini = settings_.customGuiMini;
  s.alarmFile = settings_.alarmFile;
}

void SettingsDialogModel::OnInitDialog() {
  TakeSnapshot();
  guiColor_ = settings_.guiColor;
  guiMiniColor_ = settings_.guiMiniColor;
  guiText_ = settings_.guiText;
  guiMiniText_ = settings_.guiMiniText;

  bool gpu = settings_.gpuAvailable;
  controls_.Enable(IDC_ALARM_CPU, settings_.alarm != 0);
  controls_.Enable(IDC_ALARM_FILE, settings_.alarm != 0);
  controls_.Enable(IDC_ALARM_GPU, settings_.alarm != 0 && gpu);
  alarmPath_ = ShortenedAlarmPath(settings_.alarmFile);

  for (int n = 0; n < kCoreSlots; ++n) {
    if (settings_.SlotUsed(n)) {
      idleText_[n] = IdleText(settings_.idleCalibration[n]);
      tjMax_[n] = static_cast<uint32_t>(settings_.tjMax[n]);
    } else {
      controls_.Enable(IDC_IDLE_CALIBRATION0 + n, false);
      controls_.Enable(IDC_CORE_DISPLAY0 + n, false);
      controls_.Enable(IDC_CORE_COLOR0 + n, false);
    }
  }
  if (!gpu) {
    controls_.Enable(IDC_GPU_DISPLAY, false);
    controls_.Enable(IDC_GPU_COLOR, false);
  }
  for (int n = 0; n < kCoreSlots; ++n) {
    trayCheck_[n] = settings_.SlotUsed(n) && (settings_.iconShow & (1u << n)) ? 1 : 0;
  }
  gpuTrayCheck_ = gpu && (settings_.iconShow & kGpuIconBit) ? 1 : 0;
  hottestTrayCheck_ = settings_.TrayIconUsable(kHottestIconIndex) && (settings_.iconShow & kHottestIconBit) ? 1 : 0;
  if (!settings_.TrayIconUsable(kHottestIconIndex)) controls_.Enable(IDC_HOTTEST_DISPLAY, false);

  fontIndex_ = settings_.fontNumber;
  startMinimized_ = settings_.startMinimized;
  taskBar_ = settings_.taskBar;
  onTop_ = settings_.onTop;
  trayInfo_ = settings_.trayInfo;
  logFile_ = settings_.logFile;
  logInterval_ = static_cast<uint32_t>(settings_.logInterval);
  alarm_ = settings_.alarm;
  alarm1_ = static_cast<uint32_t>(settings_.alarm1);
  alarm2_ = static_cast<uint32_t>(settings_.alarm2);
  csv_ = settings_.csv;
  customGui_ = settings_.customGui;
  customGuiMini_ = settings_.customGuiMini;
  if (!customGui_) {
    controls_.Enable(IDC_NORMAL_BACKGROUND, false);
    controls_.Enable(IDC_NORMAL_TEXT_COLOR, false);
  }
  if (!customGuiMini_) {
    controls_.Enable(IDC_MINI_MODE_BACKGROUND, false);
    controls_.Enable(IDC_MINI_MODE_TEXT_COLOR, false);
  }

  if (settings_.onTop) window_.SetTopmost(true);
  if (!TrayIconShown()) {
    SetTaskBarForced();
    controls_.Enable(IDC_TASK_BAR, false);
  }
  if (!settings_.logFile) controls_.Enable(IDC_LOG_SECONDS, false);
  controls_.Enable(kApply, false);

  CoreVidView vid = links_.clockModulation.ReadCoreVid();
  controls_.Enable(IDC_CORE_VID_MIN, vid.minEnabled);
  controls_.Enable(IDC_CORE_VID_MAX, vid.enabled);
  vidMin_ = vid.minText;
  vidMax_ = vid.maxText;
  ClockModulationView clock = links_.clockModulation.Open();
  clockModulationOn_ = clock.enabled ? 1 : 0;
  if (!clock.available) controls_.Enable(IDC_CLOCK_MODULATION, false);
  for (int id : {IDC_CLOCK_MODULATION_UP, IDC_CLOCK_MODULATION_DOWN, IDC_CLOCK_MODULATION_DUTY}) {
    controls_.Enable(id, clock.enabled);
  }
  dutyText_ = clock.dutyText;
  if (links_.startWithWindows) {
    startWithWindows_ = startWithWindowsShown_ = links_.startWithWindows->IsOn() ? 1 : 0;
  }

  Place();
  Transfer(false);
}

void SettingsDialogModel::Place() {
  WindowRect placed = PlaceBesideMainWindow(links_.mainWindowRect, window_.GetWindowRect(), window_.ScreenWidth());
  window_.MoveTo({placed.left, placed.top});
}

void SettingsDialogModel::End(bool ok) {
  ended_ = true;
  window_.End(ok);
}

void SettingsDialogModel::OnEditChange(int /*id*/) {
  if (!ended_) EnableApply();
}

void SettingsDialogModel::OnEditKillFocus(int id) {
  if (ended_) return;
  if (id >= IDC_IDLE_CALIBRATION0 && id < IDC_IDLE_CALIBRATION0 + kCoreSlots) {
    ValidateIdle(id - IDC_IDLE_CALIBRATION0);
  } else if (id >= IDC_TJ_MAX0 && id < IDC_TJ_MAX0 + kCoreSlots) {
    ValidateTjMax(id - IDC_TJ_MAX0);
  } else if (id == IDC_ALARM_CPU || id == IDC_ALARM_GPU) {
    ValidateAlarm(id);
  } else if (id == IDC_LOG_SECONDS) {
    ValidateLogInterval();
  }
}

void SettingsDialogModel::ValidateIdle(int slot) {
  Transfer(true);
  int tenths = ValidateIdleText(idleText_[slot]);
  settings_.idleCalibration[slot] = tenths;
  idleText_[slot] = IdleText(tenths);
  controls_.SetText(IDC_IDLE_CALIBRATION0 + slot, idleText_[slot]);
  if (links_.temperatureSettingsChanged) links_.temperatureSettingsChanged();
}

void SettingsDialogModel::ValidateTjMax(int slot) {
  Transfer(true);
  if (tjMax_[slot] < kLowestTjMax) tjMax_[slot] = kLowestTjMax;
  if (tjMax_[slot] > kHighestTjMax) tjMax_[slot] = kHighestTjMax;
  settings_.tjMax[slot] = static_cast<int>(tjMax_[slot]);
  if (links_.temperatureSettingsChanged) links_.temperatureSettingsChanged();
  Transfer(false);
}

void SettingsDialogModel::ValidateAlarm(int id) {
  Transfer(true);
  uint32_t& member = id == IDC_ALARM_CPU ? alarm1_ : alarm2_;
  if (member > kHighestAlarm) member = kHighestAlarm;
  (id == IDC_ALARM_CPU ? settings_.alarm1 : settings_.alarm2) = static_cast<int>(member);
  Transfer(false);
}

void SettingsDialogModel::ValidateLogInterval() {
  Transfer(true);
  logInterval_ = NearestDivisorOfHour(logInterval_);
  Transfer(false);
  settings_.logInterval = static_cast<int>(logInterval_);
}

void SettingsDialogModel::OnClicked(int id) {
  if (ended_) return;
  switch (id) {
    case kOkButton: OnOK(); return;
    case kCancelButton: OnCancel(); return;
    case kApply: OnApply(); return;
    case IDC_DEFAULTS: OnDefaults(); return;
    case IDC_NORMAL_BACKGROUND:
    case IDC_NORMAL_TEXT_COLOR:
    case IDC_MINI_MODE_BACKGROUND:
    case IDC_MINI_MODE_TEXT_COLOR: PickDialogColour(id); return;
    case IDC_GPU_COLOR: PickIconColour(kGpuIcon); return;
    case IDC_GPU_DISPLAY: OnTrayCheck(kGpuIcon); return;
    case IDC_HOTTEST_DISPLAY: OnTrayCheck(kHottestIconIndex); return;
    case IDC_ALARM_EXE: PickAlarmProgram(); return;
    case IDC_CLOCK_MODULATION: OnClockModulationEnable(); return;
    case IDC_CLOCK_MODULATION_UP: OnClockModulationStep(true); return;
    case IDC_CLOCK_MODULATION_DOWN: OnClockModulationStep(false); return;
    default: break;
  }
  if (id >= IDC_CORE_COLOR0 && id < IDC_CORE_COLOR0 + kCoreSlots) return PickIconColour(id - IDC_CORE_COLOR0);
  if (id >= IDC_CORE_DISPLAY0 && id < IDC_CORE_DISPLAY0 + kCoreSlots) {
    return OnTrayCheck(id - IDC_CORE_DISPLAY0);
  }

  bool fontRadio = false;
  for (int radio : kFontRadios) fontRadio = fontRadio || radio == id;
  if (!fontRadio && id != IDC_SET_TJ_MAX && id != IDC_LOG_FILE && id != IDC_ON_TOP && id != IDC_MINIMIZED &&
      id != IDC_TASK_BAR && id != IDC_EXCEL_CSV_FORMAT && id != IDC_TRAY_INFO && id != IDC_ALARMS &&
      id != IDC_CUSTOM_NORMAL && id != IDC_CUSTOM_MINI_MODE && id != IDC_START_WITH_WINDOWS) {
    return;
  }

  Transfer(true);
  if (fontRadio) {
    // A refused transfer can leave no radio checked; the font stays then.
    if (fontIndex_ >= 0 && fontIndex_ <= 3) settings_.fontNumber = fontIndex_;
    ForceCoreIconsRedraw();
    EnableApply();
    return;
  }
  switch (id) {
    case IDC_SET_TJ_MAX:
      for (int n = 0; n < kCoreSlots; ++n) {
        if (settings_.SlotUsed(n)) controls_.Enable(IDC_TJ_MAX0 + n, setTjMax_ != 0);
      }
      return;
    case IDC_LOG_FILE:
      settings_.logFile = logFile_;
      controls_.Enable(IDC_LOG_SECONDS, logFile_ != 0);
      break;
    case IDC_ON_TOP:
      settings_.onTop = onTop_;
      window_.SetTopmost(onTop_ != 0);
      break;
    case IDC_MINIMIZED: settings_.startMinimized = startMinimized_; break;
    case IDC_TASK_BAR:
      settings_.taskBar = taskBar_;
      taskBarChosen_ = true;
      break;
    case IDC_EXCEL_CSV_FORMAT: settings_.csv = csv_; break;
    case IDC_TRAY_INFO:
      settings_.trayInfo = trayInfo_;
      ForceCoreIconsRedraw();
      break;
    case IDC_ALARMS:
      settings_.alarm = alarm_;
      controls_.Enable(IDC_ALARM_CPU, alarm_ != 0);
      controls_.Enable(IDC_ALARM_FILE, alarm_ != 0);
      controls_.Enable(IDC_ALARM_GPU, alarm_ != 0 && settings_.gpuAvailable);
      break;
    case IDC_CUSTOM_NORMAL:
      controls_.Enable(IDC_NORMAL_BACKGROUND, customGui_ != 0);
      controls_.Enable(IDC_NORMAL_TEXT_COLOR, customGui_ != 0);
      break;
    case IDC_CUSTOM_MINI_MODE:
      controls_.Enable(IDC_MINI_MODE_BACKGROUND, customGuiMini_ != 0);
      controls_.Enable(IDC_MINI_MODE_TEXT_COLOR, customGuiMini_ != 0);
      break;
    default: break;
  }
  EnableApply();
}

void SettingsDialogModel::PickDialogColour(int id) {
  std::optional<uint32_t> colour = links_.desktop.PickColour(0, window_.AsOwner());
  if (!colour || ended_) return;
  switch (id) {
    case IDC_NORMAL_BACKGROUND: guiColor_ = *colour; break;
    case IDC_NORMAL_TEXT_COLOR: guiText_ = *colour; break;
    case IDC_MINI_MODE_BACKGROUND: guiMiniColor_ = *colour; break;
    default: guiMiniText_ = *colour; break;
  }
  EnableApply();
}

void SettingsDialogModel::PickIconColour(int icon) {
  std::optional<uint32_t> colour = links_.desktop.PickColour(0, window_.AsOwner());
  if (colour && !ended_) {
    settings_.iconTextColor[icon] = *colour;
    EnableApply();
  }
  links_.tray.RedrawIcon(icon);
}

void SettingsDialogModel::OnTrayCheck(int icon) {
  bool on = ToggleTrayIcon(links_.tray, settings_, icon);
  int& member = icon == kGpuIcon ? gpuTrayCheck_ : icon == kHottestIconIndex ? hottestTrayCheck_ : trayCheck_[icon];
  member = on ? 1 : 0;
  int id = icon == kGpuIcon           ? IDC_GPU_DISPLAY
           : icon == kHottestIconIndex ? IDC_HOTTEST_DISPLAY
                                       : IDC_CORE_DISPLAY0 + icon;
  controls_.SetCheck(id, member);
  if (!on && !TrayIconShown()) {
    SetTaskBarForced();
    Transfer(false);
    controls_.Enable(IDC_TASK_BAR, false);
  } else if (on && TrayIconShown()) {
    controls_.Enable(IDC_TASK_BAR, true);
  }
  EnableApply();
}

void SettingsDialogModel::PickAlarmProgram() {
  OpenFileRequest request;
  request.title = kAlarmProgramTitle;
  request.filter = kAlarmProgramFilter;
  request.mustExist = true;
  request.owner = window_.AsOwner();
  std::optional<std::string> path = links_.desktop.PickOpenFile(request);
  if (ended_) return;
  settings_.alarmFile = path ? *path : std::string();
  alarmPath_ = ShortenedAlarmPath(settings_.alarmFile);
  controls_.SetText(IDC_ALARM_FILE, alarmPath_);
  Transfer(false);
}

void SettingsDialogModel::OnClockModulationEnable() {
  Transfer(true);
  ClockModulationView view = links_.clockModulation.SetEnabled(clockModulationOn_ != 0);
  for (int id : {IDC_CLOCK_MODULATION_UP, IDC_CLOCK_MODULATION_DOWN, IDC_CLOCK_MODULATION_DUTY}) {
    controls_.Enable(id, clockModulationOn_ != 0);
  }
  dutyText_ = view.dutyText;
  Transfer(false);
}

void SettingsDialogModel::OnClockModulationStep(bool up) {
  ClockModulationView view = up ? links_.clockModulation.StepUp() : links_.clockModulation.StepDown();
  dutyText_ = view.dutyText;
  Transfer(false);
}

bool SettingsDialogModel::ApplyStartWithWindows() {
  StartWithWindows* startup = links_.startWithWindows;
  if (!startup) return true;
  // Only a box the user changed changes the task: one that shows off because
  // the task could not be read must not delete it.
  if (startWithWindows_ == startWithWindowsShown_) return true;
  bool wanted = startWithWindows_ != 0;
  bool done = startup->Change(wanted, window_.AsOwner());
  bool now = done ? wanted : startup->IsOn();
  startWithWindows_ = startWithWindowsShown_ = now ? 1 : 0;
  controls_.SetCheck(IDC_START_WITH_WINDOWS, startWithWindows_);
  return done;
}

void SettingsDialogModel::OnApply() {
  Transfer(true);
  ApplyStartWithWindows();
  settings_.logInterval = static_cast<int>(logInterval_);
  settings_.taskBar = taskBar_;
  settings_.guiColor = guiColor_;
  settings_.guiMiniColor = guiMiniColor_;
  settings_.guiText = guiText_;
  settings_.guiMiniText = guiMiniText_;
  settings_.customGui = customGui_;
  settings_.customGuiMini = customGuiMini_;
  TakeSnapshot();
  if (links_.replaceNormalBrush) links_.replaceNormalBrush(settings_.guiColor);
  if (links_.replaceMiniBrush) links_.replaceMiniBrush(settings_.guiMiniColor);
  if (links_.requestRepaint) links_.requestRepaint();
  ForceCoreIconsRedraw();
  controls_.Enable(kApply, false);
  controls_.SetFocus(kOkButton);
  Transfer(false);
}

void SettingsDialogModel::OnOK() {
  if (ended_) return;
  int focused = controls_.FocusedControl();
  if (focused != kOkButton) {
    OnEditKillFocus(focused);
    return;
  }
  Transfer(true);
  // A refused change leaves the dialog open, with the box showing the task
  // as it is, and nothing written yet.
  if (!ApplyStartWithWindows() || ended_) return;
  settings_.guiColor = guiColor_;
  settings_.guiText = guiText_;
  if (customGui_ && links_.replaceNormalBrush) links_.replaceNormalBrush(settings_.guiColor);
  settings_.guiMiniColor = guiMiniColor_;
  settings_.guiMiniText = guiMiniText_;
  if (customGuiMini_ && links_.replaceMiniBrush) links_.replaceMiniBrush(settings_.guiMiniColor);
  settings_.customGui = customGui_;
  settings_.customGuiMini = customGuiMini_;
  // A task bar the run forced on (no tray icon) is not the user's choice:
  // the file keeps its TaskBar unless it was chosen here.
  if (taskBarChosen_) settings_.taskBarInFile = settings_.taskBar;
  AppSettings written = settings_;
  written.taskBar = settings_.taskBarInFile;
  // The dialog's keys first, the colours last.
  WriteDialogSettings(links_.settingsFile, written);
  End(true);
}

void SettingsDialogModel::OnCancel() {
  if (ended_) return;
  const SettingsSnapshot& s = snapshot_;
  for (int n = 0; n < kCoreSlots; ++n) {
    settings_.idleCalibration[n] = s.idle[n];
    settings_.tjMax[n] = s.tjMax[n];
  }
  for (int i = 0; i < kIconSlots; ++i) settings_.iconTextColor[i] = s.iconTextColor[i];
  settings_.fontNumber = s.fontNumber;
  settings_.trayInfo = s.trayInfo;
  settings_.startMinimized = s.startMinimized;
  settings_.onTop = s.onTop;
  settings_.alarm = s.alarm;
  settings_.logFile = s.logFile;
  settings_.logInterval = s.logInterval;
  settings_.csv = s.csv;
  settings_.alarm1 = s.alarm1;
  settings_.alarm2 = s.alarm2;
  settings_.alarmFile = s.alarmFile;
  settings_.guiMiniColor = s.guiMiniColor;
  settings_.guiText = s.guiText;
  settings_.guiColor = s.guiColor;
  settings_.customGuiMini = s.customGuiMini;
  settings_.guiMiniText = s.guiMiniText;
  settings_.customGui = s.customGui;
  settings_.taskBar = TrayIconShown() ? s.taskBar : taskBar_;
  ForceCoreIconsRedraw();
  if (links_.temperatureSettingsChanged) links_.temperatureSettingsChanged();
  links_.clockModulation.Cancel();
  End(false);
}

void SettingsDialogModel::OnDefaults() {
  for (int n = 0; n < kCoreSlots; ++n) {
    settings_.idleCalibration[n] = 0;
    settings_.tjMax[n] = settings_.tjMaxDetected[n];
    if (settings_.SlotUsed(n)) {
      idleText_[n] = IdleText(0);
      tjMax_[n] = static_cast<uint32_t>(settings_.tjMaxDetected[n]);
    }
  }
  settings_.logFile = logFile_ = 0;
  settings_.trayInfo = trayInfo_ = 0;
  settings_.startMinimized = startMinimized_ = 0;
  // Off only while an icon in the tray leads back to the window; forced on
  // otherwise, which is the run's state and not the file's.
  settings_.taskBar = taskBar_ = TrayIconShown() ? 0 : 1;
  if (TrayIconShown()) taskBarChosen_ = true;
  settings_.alarm = alarm_ = 0;
  settings_.onTop = onTop_ = 0;
  settings_.csv = csv_ = 0;
  customGui_ = customGuiMini_ = 0;
  settings_.customGui = settings_.customGuiMini = 0;
  settings_.alarm1 = settings_.tjMaxDetected[0];
  alarm1_ = static_cast<uint32_t>(settings_.alarm1);
  settings_.alarm2 = settings_.gpuAvailable ? kDefaultGpuAlarm : 0;
  alarm2_ = static_cast<uint32_t>(settings_.alarm2);
  settings_.alarmFile.clear();
  alarmPath_.clear();
  guiColor_ = guiMiniColor_ = kDefaultsDialogColour;
  guiText_ = guiMiniText_ = 0;

  for (int id : {IDC_NORMAL_BACKGROUND, IDC_NORMAL_TEXT_COLOR, IDC_MINI_MODE_BACKGROUND, IDC_MINI_MODE_TEXT_COLOR,
                 IDC_ALARM_CPU, IDC_ALARM_GPU}) {
    controls_.Enable(id, false);
  }
  settings_.logInterval = kDefaultLogInterval;
  logInterval_ = kDefaultLogInterval;
  controls_.Enable(IDC_LOG_SECONDS, false);
  EnableApply();
  controls_.Enable(IDC_ALARM_FILE, false);

  ClockModulationView clock = links_.clockModulation.Defaults();
  clockModulationOn_ = 0;
  dutyText_ = clock.dutyText;
  for (int id : {IDC_CLOCK_MODULATION_UP, IDC_CLOCK_MODULATION_DOWN, IDC_CLOCK_MODULATION_DUTY}) {
    controls_.Enable(id, false);
  }

  Transfer(false);
  window_.SetTopmost(false);
  if (links_.temperatureSettingsChanged) links_.temperatureSettingsChanged();
  if (links_.requestRepaint) links_.requestRepaint();
}

}  // namespace korvath
