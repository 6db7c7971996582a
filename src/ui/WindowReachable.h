// Whether a window placed at a rectangle can be taken hold of with the
// mouse: the one rule every saved window place of Korvath is held to.
#pragma once

#include <span>

#include "ui/WindowRect.h"

namespace korvath {

// The side of the square a user needs to take hold of a window.
inline constexpr int kGrabSquare = 32;

// Whether a window at `rect` can be taken hold of: some 32 x 32 square that
// starts in its top 32 rows (the title bar; the top of the display in mini
// mode) lies wholly on one of the work areas. A corner a few pixels off
// screen, one under a task bar at the top or the left, or the corner of a
// window flush with a screen edge, which Windows 10 and 11 put outside the
// screen by the invisible resize borders, all pass; a window on a monitor
// since disconnected does not.
bool WindowReachable(const WindowRect& rect, std::span<const WindowRect> workAreas);

}  // namespace korvath
