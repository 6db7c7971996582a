// The connected monitors' work areas (the screen less the task bar), as the
// window system reports them now: every window that places itself asks.
#pragma once

#include <vector>

#include "ui/WindowRect.h"

namespace korvath {

// Whether the screen point lies on a connected monitor's work area.
bool IsOnWorkArea(int x, int y);
std::vector<WindowRect> ConnectedWorkAreas();

}  // namespace korvath
