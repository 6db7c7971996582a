// Where the History window opens and what span it shows, kept in the
// settings file as "HistoryXY" (the top-left corner, packed as "WindowXY"
// is), "HistorySize" (height * 65536 + width, in pixels) and "HistoryRange"
// (10, 60 or 1440 minutes).
#pragma once

#include <optional>
#include <span>

#include "history/HistoryRange.h"
#include "ui/WindowRect.h"

namespace korvath {

class ProfileStore;

struct HistoryPlace {
  std::optional<WindowRect> rect;  // none: the window picks its own
  HistoryRange range = HistoryRange::kTenMinutes;
};

// A size below minimum grows to it; the rectangle is used only where the
// window can be taken hold of on one of the work areas (WindowReachable), as
// the main window's saved place is.
HistoryPlace ReadHistoryPlace(ProfileStore& store, int minimumWidth, int minimumHeight,
                              std::span<const WindowRect> workAreas);
void WriteHistoryPlace(ProfileStore& store, const WindowRect& rect, HistoryRange range);

}  // namespace korvath
