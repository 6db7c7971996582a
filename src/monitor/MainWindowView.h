// What the main window's logic asks of the window itself: its rectangle,
// title and z-order, its timers, and the few actions only the window system
// can take. MainWindow implements it over Win32; tests record the calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/WindowRect.h"

namespace korvath {

class DisplayTexts;

// The window's one monitor timer, and the tray's retry timer.
inline constexpr uintptr_t kMonitorTimerId = 1;
inline constexpr uint32_t kFirstTickMs = 50;
inline constexpr uint32_t kCyclePeriodMs = 1000;

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;

  virtual WindowRect GetWindowRect() = 0;
  // The window at full size: in mini mode the full window that leaving it
  // would restore, moved along with the mini window.
  virtual WindowRect FullWindowRect() = 0;
  // Minimised (iconic), as the window system sees it.
  virtual bool IsMinimized() = 0;
  // Whether the screen point lies on a connected monitor's work area.
  virtual bool IsOnWorkArea(int x, int y) = 0;
  // The work areas of the connected monitors (the screen less the task bar).
  virtual std::vector<WindowRect> WorkAreas() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // SetWindowPos to the same rectangle, topmost or not, without activating.
  virtual void ApplyZOrder(const WindowRect& rect, bool topmost) = 0;
  // Moves the window by (dx, dy), keeping its size.
  virtual void MoveWindowBy(int dx, int dy) = 0;
  virtual void InvalidateAll() = 0;
  virtual void PushTexts(const DisplayTexts& texts) = 0;

  // SetTimer / KillTimer on the window; returns the identifier in force.
  virtual uintptr_t SetTimer(uintptr_t timerId, uint32_t periodMs) = 0;
  virtual void KillTimer(uintptr_t timerId) = 0;

  virtual void Minimize() = 0;
  virtual void FlashOnce() = 0;
  // Applies the mini layout (caption-less, small) or the normal one.
  virtual void ApplyMiniMode(bool enter) = 0;
  // While false the window refuses to be shown.
  virtual void SetMayShow(bool mayShow) = 0;
  // Shows a hidden window minimised, without activating it, so that it has
  // a task-bar button; a shown window stays as it is.
  virtual void ShowInTaskBar() = 0;
  // The fonts and brushes made at start-up, deleted at shutdown.
  virtual void DeleteGdiObjects() = 0;
  // The history has one second more; a History window that shows redraws.
  virtual void HistoryRecorded() {}
};

}  // namespace korvath
