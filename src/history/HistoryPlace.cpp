#include "history/HistoryPlace.h"

#include <algorithm>
#include <string>

#include "config/SettingsFile.h"
#include "platform/ProfileStore.h"
#include "ui/WindowReachable.h"

namespace korvath {
namespace {

constexpr const char* kHistoryXY = "HistoryXY";
constexpr const char* kHistorySize = "HistorySize";
constexpr const char* kHistoryRange = "HistoryRange";

}  // namespace

HistoryPlace ReadHistoryPlace(ProfileStore& store, int minimumWidth, int minimumHeight,
                              std::span<const WindowRect> workAreas) {
  HistoryPlace place;
  if (std::optional<HistoryRange> range = RangeFromMinutes(static_cast<int>(store.ReadInt(kHistoryRange, 10)))) {
    place.range = *range;
  }
  uint32_t xy = store.ReadInt(kHistoryXY, 0);
  uint32_t size = store.ReadInt(kHistorySize, 0);
  if (xy == 0 || size == 0) return place;
  ScreenPoint topLeft = UnpackPosition(xy);
  int width = std::max(static_cast<int>(size & 0xFFFF), minimumWidth);
  int height = std::max(static_cast<int>(size >> 16), minimumHeight);
  WindowRect rect{topLeft.x, topLeft.y, topLeft.x + width, topLeft.y + height};
  if (WindowReachable(rect, workAreas)) place.rect = rect;
  return place;
}

void WriteHistoryPlace(ProfileStore& store, const WindowRect& rect, HistoryRange range) {
  uint32_t width = static_cast<uint32_t>(std::clamp(rect.Width(), 1, 0xFFFF));
  uint32_t height = static_cast<uint32_t>(std::clamp(rect.Height(), 1, 0xFFFF));
  store.WriteString(kHistoryXY, std::to_string(PackWindowPosition({rect.left, rect.top})));
  store.WriteString(kHistorySize, std::to_string(height * 65536 + width));
  store.WriteString(kHistoryRange, std::to_string(RangeMinutes(range)));
}

}  // namespace korvath
