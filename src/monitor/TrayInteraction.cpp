#include "monitor/TrayInteraction.h"

#include "config/StartWithWindows.h"

namespace korvath {
namespace {

constexpr uint32_t kModeBits = kIconShowMinimum | kIconShowMaximum | kIconShowAverage;
// Everything but the statistic bits: the icon bits and the distance bit.
constexpr uint32_t kKeepWithoutStatistic = 0x10FF;

}  // namespace

// The menu comes from an icon: hiding the only one would leave a window
// minimised to the tray with no way back, and while the Settings dialog
// runs its check box is the one to use.
bool TrayInteraction::HottestCoreLocked() const {
  if (settingsOpen) return true;
  const std::vector<int>& added = icons_->AddedIcons();
  return (settings_.iconShow & kIconShowHottest) && added.size() == 1 && added.front() == kHottestIconIndex;
}

void TrayInteraction::OnTrayNotification(uint32_t mouseMessage) {
  if (mouseMessage == kMouseRightButtonDown) {
    int command = window_.RunTrayMenu(BuildMenu());
    if (command != 0) RunCommand(command);
  } else if (mouseMessage == kMouseLeftButtonDoubleClick) {
    if (windowRestored) {
      window_.Minimize();
    } else {
      window_.ShowRestored();
    }
  }
}

std::vector<TrayMenuItem> TrayInteraction::BuildMenu() {
  uint32_t show = settings_.iconShow;
  std::vector<TrayMenuItem> items = {
      {"Core Temperature", kTrayCommandTemperature, (show & kIconShowDistance) == 0},
      {"Distance to TJ Max", kTrayCommandDistance, (show & kIconShowDistance) != 0},
      {},
      {"Current", kTrayCommandCurrent, (show & kModeBits) == 0},
      {"Minimum", kTrayCommandMinimum, (show & kIconShowMinimum) != 0},
      {"Maximum", kTrayCommandMaximum, (show & kIconShowMaximum) != 0},
      {"Average", kTrayCommandAverage, (show & kIconShowAverage) != 0},
      {},
      {"Reset", kTrayCommandReset},
      {"History...", kTrayCommandHistory},
  };
  // Read from the task each time, so that it is right after a move or a
  // change made elsewhere.
  if (startWithWindows_) {
    items.push_back({kStartWithWindowsText, kTrayCommandStartWithWindows, startWithWindows_->IsOn()});
  }
  if (icons_ && settings_.TrayIconUsable(kHottestIconIndex)) {
    items.push_back(
        {kHottestCoreText, kTrayCommandHottestCore, (show & kIconShowHottest) != 0, HottestCoreLocked()});
  }
  items.push_back({});
  bool visible = window_.IsVisible();
  if (visible) items.push_back({"Minimize", kTrayCommandMinimize});
  if (!visible || !windowRestored) items.push_back({"Restore", kTrayCommandRestore});
  items.push_back({"Exit", kTrayCommandExit, false, settingsOpen});
  return items;
}

void TrayInteraction::RunCommand(int command) {
  uint32_t& show = settings_.iconShow;
  switch (command) {
    case kTrayCommandTemperature: show &= 0xFFF; break;
    case kTrayCommandDistance: show |= kIconShowDistance; break;
    case kTrayCommandMinimum: show = (show & kKeepWithoutStatistic) | kIconShowMinimum; break;
    case kTrayCommandMaximum: show = (show & kKeepWithoutStatistic) | kIconShowMaximum; break;
    case kTrayCommandAverage: show = (show & kKeepWithoutStatistic) | kIconShowAverage; break;
    case kTrayCommandCurrent: show &= kKeepWithoutStatistic; break;
    case kTrayCommandReset: window_.ResetStatistics(); break;
    case kTrayCommandStartWithWindows:
      if (startWithWindows_) startWithWindows_->Change(!startWithWindows_->IsOn());
      break;
    case kTrayCommandHistory: window_.ShowHistory(); break;
    case kTrayCommandHottestCore:
      if (icons_ && !HottestCoreLocked()) ToggleTrayIcon(*icons_, settings_, kHottestIconIndex);
      break;
    case kTrayCommandMinimize:
      if (windowRestored) {
        window_.Minimize();
      } else if (settings_.taskBar) {
        window_.Hide();
      }
      break;
    case kTrayCommandRestore: window_.ShowRestored(); break;
    case kTrayCommandExit:
      // The menu greys Exit while the Settings dialog runs; a command that
      // still arrives must not destroy the window under the dialog.
      if (!settingsOpen) window_.EndWindow();
      break;
    default: break;
  }
}

void TrayInteraction::OnSize(bool restored) {
  windowRestored = restored;
  if (restored) {
    window_.SetTitle(kRestoredWindowTitle);
  } else if (!settings_.taskBar) {
    window_.Hide();
  }
}

bool TrayInteraction::OnClose() {
  if (!settings_.minimizeOnClose) return true;
  window_.Minimize();
  return false;
}

}  // namespace korvath
