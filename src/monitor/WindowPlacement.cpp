#include "monitor/WindowPlacement.h"

#include <algorithm>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr int kTallFrameHeight = 11;   // non-client heights above this carry a caption-like border
constexpr int kTallFrameLift = 5;
constexpr int kLowestMiniBottom = 4;   // a mini window stays reachable at the screen's top
constexpr int kLeftmostFullRight = 10;

WindowRect Shifted(const WindowRect& rect, int dx, int dy) {
  return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

int CentreX(const WindowRect& rect) { return (rect.left + rect.right) / 2; }

std::string FormatTime(const char* format, const std::tm& time) {
  char buffer[64];
  size_t length = std::strftime(buffer, sizeof buffer, format, &time);
  return std::string(buffer, length);
}

}  // namespace

int MiniClientWidth(const LayoutScale& scale) { return scale.X(kMiniClientWidth); }
int MiniClientHeight(const LayoutScale& scale) { return scale.Y(kMiniClientHeight); }

MiniLayout LayOutMiniWindow(const WindowRect& full, int clientWidth, int clientHeight, const LayoutScale& scale,
                            int stripHeight) {
  int miniWidth = MiniClientWidth(scale);
  int miniHeight = MiniClientHeight(scale) + stripHeight;
  int frameWidth = miniWidth - clientWidth;
  int frameHeight = miniHeight - clientHeight;
  // The extra pixel is the one the lifted top gives away, not a length.
  int extraHeight = frameHeight > scale.Y(kTallFrameHeight) ? 1 : 0;
  int top = extraHeight ? full.top - scale.Y(kTallFrameLift) : full.top;

  WindowRect mini{full.left, top, full.left + miniWidth + frameWidth, top + miniHeight + frameHeight};
  mini = Shifted(mini, CentreX(full) - CentreX(mini), 0);

  MiniLayout layout;
  layout.limits.width = mini.Width();
  layout.limits.minHeight = mini.Height();
  layout.limits.maxHeight = mini.Height() + scale.Y(kMiniExtraHeight) + extraHeight;
  int lowestBottom = scale.Y(kLowestMiniBottom);
  if (mini.bottom < lowestBottom) mini = Shifted(mini, 0, lowestBottom - mini.bottom);
  layout.miniRect = mini;
  return layout;
}

WindowRect RestoreFullWindow(const WindowRect& full, const WindowRect& miniAtEntry, const WindowRect& miniNow,
                             const LayoutScale& scale) {
  WindowRect restored = Shifted(full, miniNow.left - miniAtEntry.left, miniNow.top - miniAtEntry.top);
  int leftmostRight = scale.X(kLeftmostFullRight);
  if (restored.right < leftmostRight) restored = Shifted(restored, leftmostRight - restored.right, 0);
  return restored;
}

bool SavedPositionOnScreen(ScreenPoint saved, const WorkAreaTest& onWorkArea) {
  if (saved == ScreenPoint{0, -1}) saved = {0, 0};
  return onWorkArea(saved);
}

WindowRect KeepOnScreen(const WindowRect& wanted, const WindowRect& fallback, const WorkAreaTest& onWorkArea) {
  if (onWorkArea({wanted.left, wanted.top})) return wanted;
  if (onWorkArea({fallback.left, fallback.top})) {
    return Shifted(wanted, fallback.left - wanted.left, fallback.top - wanted.top);
  }
  return wanted;
}

TrackLimits MiniTrackLimits(const MiniSizeLimits& limits) {
  return {limits.width, limits.maxHeight, limits.width, limits.minHeight, limits.width, limits.maxHeight};
}

std::string AnchorMessage(ScreenPoint previous, ScreenPoint now) {
  if (previous == now) return Format("Current Position\n( %d, %d )\n", now.x, now.y);
  return Format("Previous Position\n( %d, %d )\n\nNew Position\n( %d, %d )\n", previous.x, previous.y, now.x,
                now.y);
}

WindowRect AnchorFromSetting(uint32_t anchorXY) {
  if (anchorXY == 0) return {};
  ScreenPoint point = UnpackPosition(anchorXY);
  return {point.x, point.y, point.x, point.y};
}

bool AnchorWorthSaving(const WindowRect& anchor) {
  return anchor.left != 0 || anchor.top != 0 || anchor.right != 0 || anchor.bottom != 0;
}

// The columns follow the client width itself; only their margins scale.
int HoverColumn(int x, int clientWidth, const LayoutScale& scale) {
  int w = clientWidth;
  int m = w / 2;
  int two = scale.X(2), four = scale.X(4), six = scale.X(6), seven = scale.X(7);
  int column = -1;
  if (m + two < x && x < w - seven) column = 2;
  if ((m + w - four) / 2 < x && x < w - seven) column = 3;
  if (six < x && x < (m + four) / 2 - two) column = 0;
  if ((m + four) / 2 + two < x && x < m - two) column = 1;
  return column;
}

HoverBand HoverBandAt(int y, const LayoutScale& scale) {
  if (scale.Y(176) <= y && y <= scale.Y(225)) return HoverBand::kMinimum;
  if (scale.Y(240) <= y && y <= scale.Y(289)) return HoverBand::kMaximum;
  return HoverBand::kNone;
}

bool InGpuField(int x, int y, const LayoutScale& scale) {
  return scale.Y(37) <= y && y <= scale.Y(66) && scale.X(10) <= x && x <= scale.X(95);
}

std::string GpuReportText(int minimum, const std::tm& minTime, int maximum, const std::tm& maxTime,
                          const std::string& degreeSuffix) {
  return Format("Minimum  %d%s\n", minimum, degreeSuffix.c_str()) + FormatTime("%b %d    %H:%M:%S\n\n", minTime) +
         Format("Maximum  %d%s\n", maximum, degreeSuffix.c_str()) + FormatTime("%b %d    %H:%M:%S\n", maxTime);
}

std::string HoverDateText(const std::tm& time) { return FormatTime("%b %d", time); }

std::optional<std::string> CoreHoverText(int x, int y, int clientWidth, const TemperatureStats& stats,
                                         const bool (&present)[kCoreSlots], const LayoutScale& scale) {
  int column = HoverColumn(x, clientWidth, scale);
  HoverBand band = HoverBandAt(y, scale);
  if (column < 0 || band == HoverBand::kNone || !present[column]) return std::nullopt;
  return HoverDateText(band == HoverBand::kMinimum ? stats.minTime[column] : stats.maxTime[column]);
}

}  // namespace korvath
