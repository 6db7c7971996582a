// What the Settings dialog changes of the tray icons: its tray checks add
// and remove single icons (keeping the tray's order themselves), and a new
// colour or font has the icons drawn again at the next cycle. TrayIcons
// implements it for the running program.
#pragma once

namespace korvath {

class SettingsTrayIcons {
 public:
  virtual ~SettingsTrayIcons() = default;

  // By icon index: core slots 0-3, the GPU 4.
  virtual bool AddIcon(int index) = 0;
  virtual void DeleteIcon(int index) = 0;
  // Whether any icon is in the tray now.
  virtual bool AnyIconShown() const = 0;
  // The icon is drawn again at the next cycle even if its number stays.
  virtual void RedrawIcon(int index) = 0;
  virtual void ForceRedraw() = 0;
};

}  // namespace korvath
