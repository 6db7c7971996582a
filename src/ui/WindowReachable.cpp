#include "ui/WindowReachable.h"

#include <algorithm>

namespace korvath {

bool WindowReachable(const WindowRect& rect, std::span<const WindowRect> workAreas) {
  for (const WindowRect& area : workAreas) {
    int left = std::max(rect.left, area.left);
    int right = std::min(rect.right, area.right);
    if (right - left < kGrabSquare) continue;
    // The highest row of the window on this area: the square starts there,
    // and that row must still be in the title bar.
    int top = std::max(rect.top, area.top);
    if (top >= rect.top + kGrabSquare) continue;
    if (std::min(rect.bottom, area.bottom) - top >= kGrabSquare) return true;
  }
  return false;
}

}  // namespace korvath
