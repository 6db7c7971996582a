#include "app/SimulatedMainWindow.h"

#include "monitor/WindowPlacement.h"

namespace korvath {

void SimulatedMainWindow::MoveWindowBy(int dx, int dy) {
  rect.left += dx;
  rect.right += dx;
  rect.top += dy;
  rect.bottom += dy;
}

uintptr_t SimulatedMainWindow::SetTimer(uintptr_t timerId, uint32_t periodMs) {
  timers[timerId] = periodMs;
  return timerId;
}

void SimulatedMainWindow::ShowInTaskBar() {
  if (!mayShow) return;
  minimized = true;
  ++taskBarShows;
}

WindowRect SimulatedMainWindow::FullWindowRect() {
  return miniMode ? RestoreFullWindow(fullRect, miniRect, rect) : rect;
}

bool SimulatedMainWindow::IsOnWorkArea(int x, int y) {
  for (const WindowRect& area : workAreas) {
    if (area.left <= x && x < area.right && area.top <= y && y < area.bottom) return true;
  }
  return false;
}

// Sized to the mini client size with the mini style, the window keeps a
// client area smaller by its frame; the layout then makes the client exact.
void SimulatedMainWindow::ApplyMiniMode(bool enter) {
  if (enter == miniMode) return;
  miniMode = enter;
  if (enter) {
    fullRect = rect;
    MiniLayout layout =
        LayOutMiniWindow(fullRect, kMiniClientWidth - 2 * miniFrame, kMiniClientHeight - 2 * miniFrame);
    miniRect = layout.miniRect;
    rect = miniRect;
  } else {
    rect = KeepOnScreen(RestoreFullWindow(fullRect, miniRect, rect), rect,
                        [this](ScreenPoint point) { return IsOnWorkArea(point.x, point.y); });
  }
}

}  // namespace korvath
