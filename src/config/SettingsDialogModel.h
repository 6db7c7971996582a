// What the Settings dialog does, over its controls: most controls change the
// running program at once, the dialog colours wait for Apply or OK, Apply
// makes the current state the one Cancel returns to, and OK also writes the
// settings file. SettingsDialog is its Win32 view.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/AppSettings.h"
#include "config/SettingsFile.h"
#include "config/SettingsTrayIcons.h"
#include "platform/Desktop.h"
#include "ui/DataExchange.h"
#include "ui/WindowRect.h"

namespace korvath {

class ClockModulation;
class ControlSurface;
class ProfileStore;
class StartWithWindows;

// The dialog manager's own ids of the OK and Cancel buttons.
inline constexpr int kOkButton = 1;
inline constexpr int kCancelButton = 2;
inline constexpr uint32_t kDefaultsDialogColour = 0xEEF3F4;
inline constexpr const char* kAlarmProgramTitle = "Open File to Run on Alarm";
inline constexpr const char* kAlarmProgramFilter = "EXE Files (*.exe)|*.exe|BAT Files (*.bat)|*.bat||";

// Long alarm paths show their start and end around "...".
std::string ShortenedAlarmPath(const std::string& path);
// Idle calibration typed in the dialog to tenths, clamped to -19.9..9.9.
int ValidateIdleText(const std::string& text);
// 1..3600, moved to the nearest divisor of 3600 (a tie goes up).
uint32_t NearestDivisorOfHour(uint32_t seconds);

// What the model asks of the dialog window itself.
class SettingsDialogWindow {
 public:
  virtual ~SettingsDialogWindow() = default;
  virtual WindowRect GetWindowRect() = 0;
  virtual void MoveTo(ScreenPoint topLeft) = 0;
  virtual void SetTopmost(bool topmost) = 0;
  virtual int ScreenWidth() = 0;
  virtual void End(bool ok) = 0;
  // The dialog as the owner of its pickers.
  virtual OwnerWindow AsOwner() = 0;
};

// The records the dialog changes, and what the main window does for it.
struct SettingsDialogLinks {
  AppSettings& settings;
  SettingsTrayIcons& tray;
  ClockModulation& clockModulation;
  ProfileStore& settingsFile;
  Desktop& desktop;
  WindowRect mainWindowRect;
  // Idle calibration or TjMax changed: the sampling takes them over.
  std::function<void()> temperatureSettingsChanged;
  std::function<void()> requestRepaint;
  // A new solid background brush for normal or mini mode; the main window
  // owns it and deletes the one it replaces.
  std::function<void(uint32_t colour)> replaceNormalBrush;
  std::function<void(uint32_t colour)> replaceMiniBrush;
  // The "Start with Windows" check box works when given.
  StartWithWindows* startWithWindows = nullptr;
};

// The state Cancel returns to: taken at opening and at every Apply.
struct SettingsSnapshot {
  int idle[kCoreSlots] = {};
  int tjMax[kCoreSlots] = {};
  uint32_t iconTextColor[kIconSlots] = {};
  int fontNumber = 0;
  int startMinimized = 0;
  int taskBar = 0;
  int onTop = 0;
  int trayInfo = 0;
  int logFile = 0;
  int logInterval = 0;
  int alarm = 0;
  int alarm1 = 0;
  int alarm2 = 0;
  int csv = 0;
  uint32_t guiColor = 0;
  uint32_t guiMiniColor = 0;
  uint32_t guiText = 0;
  uint32_t guiMiniText = 0;
  int customGui = 0;
  int customGuiMini = 0;
  std::string alarmFile;
};

class SettingsDialogModel {
 public:
  SettingsDialogModel(ControlSurface& controls, SettingsDialogWindow& window, const SettingsDialogLinks& links,
                      RefusalPrompt prompt);

  // After the framework's own initialisation; the focus then goes to OK.
  void OnInitDialog();

  void OnEditChange(int id);
  void OnEditKillFocus(int id);
  // BN_CLICKED of any button; the four bottom buttons included.
  void OnClicked(int id);
  // Enter and the OK button.
  void OnOK();
  // Escape, the close box and the Cancel button. Ending the dialog takes
  // the focus from the edit that had it; its lose-focus validation comes
  // after the settings were put back and must change nothing.
  void OnCancel();

  const SettingsSnapshot& snapshot() const { return snapshot_; }

 private:
  bool Transfer(bool save);
  void EnableApply() { controls_.Enable(kApply, true); }
  void ForceCoreIconsRedraw();
  bool TrayIconShown() const;
  void SetTaskBarForced();

  void ValidateIdle(int slot);
  void ValidateTjMax(int slot);
  void ValidateAlarm(int id);
  void ValidateLogInterval();
  void OnTrayCheck(int icon);
  void PickDialogColour(int id);
  void PickIconColour(int icon);
  void PickAlarmProgram();
  void OnClockModulationEnable();
  void OnClockModulationStep(bool up);
  // The check box against the task, changed on Apply and OK like the
  // dialog colours; false when the scheduler refused, and the box then
  // shows the task as it is.
  bool ApplyStartWithWindows();
  void OnApply();
  void OnDefaults();
  void TakeSnapshot();
  void Place();
  void End(bool ok);

  static constexpr int kApply = 1088;

  ControlSurface& controls_;
  SettingsDialogWindow& window_;
  SettingsDialogLinks links_;
  AppSettings& settings_;
  RefusalPrompt prompt_;
  SettingsSnapshot snapshot_;
  // Set once OK or Cancel ended the dialog: notifications still on their
  // way, and the answer of a picker still open, are dropped.
  bool ended_ = false;
  // The user clicked Task Bar (or Defaults chose it) in this dialog: only
  // then does OK write the live TaskBar over the file's.
  bool taskBarChosen_ = false;

  // The values the controls exchange.
  std::string idleText_[kCoreSlots];
  uint32_t tjMax_[kCoreSlots] = {};
  int trayCheck_[kCoreSlots] = {};
  int gpuTrayCheck_ = 0;
  int hottestTrayCheck_ = 0;
  int fontIndex_ = -1;
  int startMinimized_ = 0;
  int taskBar_ = 0;
  int onTop_ = 0;
  int logFile_ = 0;
  uint32_t logInterval_ = 0;
  int setTjMax_ = 0;
  int trayInfo_ = 0;
  std::string vidMax_;
  std::string vidMin_;
  int alarm_ = 0;
  uint32_t alarm1_ = 0;
  uint32_t alarm2_ = 0;
  int csv_ = 0;
  int customGui_ = 0;
  int customGuiMini_ = 0;
  int clockModulationOn_ = 0;
  std::string dutyText_;
  std::string alarmPath_;
  uint32_t guiColor_ = 0;
  uint32_t guiMiniColor_ = 0;
  uint32_t guiText_ = 0;
  uint32_t guiMiniText_ = 0;
  int startWithWindows_ = 0;
  int startWithWindowsShown_ = 0;  // what the task was when last read or changed
};

}  // namespace korvath
