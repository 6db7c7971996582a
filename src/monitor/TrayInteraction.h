// The user's side of the tray: the tray menu and its commands, double click,
// and the main window's size and close handlers that decide whether a
// minimised window lives only in the tray.
#pragma once

#include <cstdint>
#include <vector>

#include "config/AppSettings.h"
#include "monitor/TrayIcons.h"
#include "monitor/TrayWindow.h"
#include "resources/Version.h"

namespace korvath {

class StartWithWindows;

inline constexpr const char* kRestoredWindowTitle = "Korvath " KORVATH_VERSION_TEXT;

enum TrayCommand : int {
  kTrayCommandRestore = 32769,
  kTrayCommandMinimize = 32770,
  kTrayCommandExit = 32771,
  kTrayCommandMinimum = 32772,
  kTrayCommandMaximum = 32773,
  kTrayCommandAverage = 32774,
  kTrayCommandCurrent = 32775,
  kTrayCommandReset = 32776,
  kTrayCommandTemperature = 32777,
  kTrayCommandDistance = 32778,
  kTrayCommandStartWithWindows = 32801,
  kTrayCommandHistory = 32800,
  kTrayCommandHottestCore = 32802,
};

inline constexpr uint32_t kMouseRightButtonDown = 0x204;
inline constexpr uint32_t kMouseLeftButtonDoubleClick = 0x203;

class TrayInteraction {
 public:
  TrayInteraction(AppSettings& settings, TrayWindow& window) : settings_(settings), window_(window) {}

  // The tray callback message; mouseMessage is its second parameter.
  void OnTrayNotification(uint32_t mouseMessage);

  // The menu offers "Start with Windows" once it is given.
  void SetStartWithWindows(StartWithWindows* startWithWindows) { startWithWindows_ = startWithWindows; }
  // The menu offers the hottest core's icon once the icons are given.
  void SetTrayIcons(TrayIcons* icons) { icons_ = icons; }

  std::vector<TrayMenuItem> BuildMenu();
  void RunCommand(int command);

  // Before the default size processing.
  void OnSize(bool restored);
  // True when the default close should run and end the window.
  bool OnClose();

  // A dialog is created in the restored state, and the size notification
  // that says so arrives before its initialisation makes this object: start
  // restored, or the first double click and "Minimize" would do nothing.
  bool windowRestored = true;
  bool settingsOpen = false;  // greys "Exit" while the Settings dialog runs

 private:
  bool HottestCoreLocked() const;

  AppSettings& settings_;
  TrayWindow& window_;
  StartWithWindows* startWithWindows_ = nullptr;
  TrayIcons* icons_ = nullptr;
};

}  // namespace korvath
