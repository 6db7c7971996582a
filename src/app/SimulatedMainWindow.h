// The main window of a simulated run: dialog 102 as Windows frames it at
// 96 DPI on a desktop of two monitors, mini mode laid out as the real window
// lays it out, the title and timers as set, and the texts as last pushed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "monitor/MainWindowView.h"
#include "ui/DisplayTexts.h"

namespace korvath {

class SimulatedMainWindow : public MainWindowView {
 public:
  WindowRect GetWindowRect() override { return rect; }
  WindowRect FullWindowRect() override;
  bool IsMinimized() override { return minimized; }
  bool IsOnWorkArea(int x, int y) override;
  std::vector<WindowRect> WorkAreas() override { return workAreas; }
  void SetTitle(const std::string& text) override { title = text; }
  void ApplyZOrder(const WindowRect&, bool isTopmost) override { topmost = isTopmost; }
  void MoveWindowBy(int dx, int dy) override;
  void InvalidateAll() override { ++repaints; }
  void PushTexts(const DisplayTexts& texts) override { controls = texts; }
  uintptr_t SetTimer(uintptr_t timerId, uint32_t periodMs) override;
  void KillTimer(uintptr_t timerId) override { timers.erase(timerId); }
  void Minimize() override { minimized = true; }
  void FlashOnce() override { ++flashes; }
  void ApplyMiniMode(bool enter) override;
  void SetMayShow(bool allowed) override { mayShow = allowed; }
  void ShowInTaskBar() override;
  void DeleteGdiObjects() override { gdiObjectsDeleted = true; }

  // Dialog 102 at 96 dpi, placed at (100, 100).
  WindowRect rect{100, 100, 418, 478};
  // The primary monitor above a 40-pixel task bar, and one to its left.
  std::vector<WindowRect> workAreas{{0, 0, 1280, 984}, {-1280, 0, 0, 1024}};
  // The border that the mini style's sizing frame adds on each side.
  int miniFrame = 4;
  WindowRect fullRect;  // the normal window while in mini mode
  WindowRect miniRect;  // the mini window as laid out on entering
  std::string title = "Korvath";
  bool topmost = false;
  bool minimized = false;
  bool mayShow = false;
  int taskBarShows = 0;  // ShowInTaskBar calls that showed the window
  bool miniMode = false;
  bool gdiObjectsDeleted = false;
  int repaints = 0;
  int flashes = 0;
  std::map<uintptr_t, uint32_t> timers;  // id -> period
  DisplayTexts controls;
};

}  // namespace korvath
