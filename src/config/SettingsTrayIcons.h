// What the Settings dialog changes of the tray icons: its tray checks add
// and remove single icons (keeping the tray's order themselves), and a new
// colour or font has the icons drawn again at the next cycle. TrayIcons
// implements it for the running program.
#pragma once

#include "config/AppSettings.h"

namespace korvath {

class SettingsTrayIcons {
 public:
  virtual ~SettingsTrayIcons() = default;

  // By icon index: core slots 0-3, the GPU 4, the hottest core 5.
  virtual bool AddIcon(int index) = 0;
  virtual void DeleteIcon(int index) = 0;
  // Whether any icon is in the tray now.
  virtual bool AnyIconShown() const = 0;
  // The icon is drawn again at the next cycle even if its number stays.
  virtual void RedrawIcon(int index) = 0;
  virtual void ForceRedraw() = 0;
};

// The user shows or hides one icon (a tray check of the Settings dialog, or
// the tray menu): its bit of IconShow changes and the icon comes or goes at
// once. Icons stand in the tray in the order of adding, so showing one adds
// every shown icon again, from the hottest core's down to core 0's. Hiding
// one also clears the bits above 12, which only a hand-edited file sets.
// Returns whether the icon is now chosen.
bool ToggleTrayIcon(SettingsTrayIcons& tray, AppSettings& settings, int icon);

}  // namespace korvath
