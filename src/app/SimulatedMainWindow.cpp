#include "app/SimulatedMainWindow.h"

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

// Only the height matters to the cycle: a mini window is lower than 97
// pixels, so it shows the temperatures in its title.
void SimulatedMainWindow::ApplyMiniMode(bool enter) {
  miniMode = enter;
  rect.bottom = rect.top + (miniMode ? 90 : 378);
}

}  // namespace korvath
