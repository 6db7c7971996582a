// Where the History window opens and what span it shows, kept in the
// settings file as "HistoryXY" (the top-left corner, packed as "WindowXY"
// is), "HistorySize" (height * 65536 + width, in pixels) and "HistoryRange"
// (10, 60 or 1440 minutes).
#pragma once

#include <functional>
#include <optional>

#include "history/HistoryRange.h"
#include "ui/WindowRect.h"

namespace korvath {

class ProfileStore;

struct HistoryPlace {
  std::optional<WindowRect> rect;  // none: the window picks its own
  HistoryRange range = HistoryRange::kTenMinutes;
};

// A rectangle whose top-left corner, or the corner of a 32 x 32 square
// inside from it, lies off every work area is not used; a size below
// minimum grows to it.
HistoryPlace ReadHistoryPlace(ProfileStore& store, int minimumWidth, int minimumHeight,
                              const std::function<bool(int x, int y)>& onWorkArea);
void WriteHistoryPlace(ProfileStore& store, const WindowRect& rect, HistoryRange range);

}  // namespace korvath
