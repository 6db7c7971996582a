// A rectangle in pixels: a window's on the screen, as the window system
// reports it, or an area inside a window's client area.
#pragma once

namespace korvath {

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const WindowRect&) const = default;
};

}  // namespace korvath
