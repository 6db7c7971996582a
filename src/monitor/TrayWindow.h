// What the tray menu and the window's size and close handlers ask of the main
// window. The Win32 main window implements it; tests record the calls.
#pragma once

#include <string>
#include <vector>

namespace korvath {

struct TrayMenuItem {
  std::string text;  // empty for a separator
  int command = 0;
  bool checked = false;
  bool grayed = false;
  bool IsSeparator() const { return text.empty(); }
};

class TrayWindow {
 public:
  virtual ~TrayWindow() = default;

  virtual bool IsVisible() = 0;
  virtual void Minimize() = 0;
  virtual void Hide() = 0;
  // Lets the window show again (it refuses while hidden at start), restores
  // it and brings it to the foreground.
  virtual void ShowRestored() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Brings the window to the foreground, shows the menu at the cursor with its
  // bottom edge there and returns the chosen command, 0 when none.
  virtual int RunTrayMenu(const std::vector<TrayMenuItem>& items) = 0;
  // Ends the main window as Esc does; its destruction runs the shutdown.
  virtual void EndWindow() = 0;
  virtual void ResetStatistics() = 0;
  // Opens the History window, or brings it forward.
  virtual void ShowHistory() = 0;
};

}  // namespace korvath
