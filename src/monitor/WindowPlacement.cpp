#include "monitor/WindowPlacement.h"

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

MiniLayout LayOutMiniWindow(const WindowRect& full, int clientWidth, int clientHeight) {
  int frameWidth = kMiniClientWidth - clientWidth;
  int frameHeight = kMiniClientHeight - clientHeight;
  int extraHeight = frameHeight > kTallFrameHeight ? 1 : 0;
  int top = extraHeight ? full.top - kTallFrameLift : full.top;

  WindowRect mini{full.left, top, full.left + kMiniClientWidth + frameWidth,
                  top + kMiniClientHeight + frameHeight};
  mini = Shifted(mini, CentreX(full) - CentreX(mini), 0);

  MiniLayout layout;
  layout.limits.width = mini.Width();
  layout.limits.minHeight = mini.Height();
  layout.limits.maxHeight = mini.Height() + kMiniExtraHeight + extraHeight;
  if (mini.bottom < kLowestMiniBottom) mini = Shifted(mini, 0, kLowestMiniBottom - mini.bottom);
  layout.miniRect = mini;
  return layout;
}

WindowRect RestoreFullWindow(const WindowRect& full, const WindowRect& miniAtEntry, const WindowRect& miniNow) {
  WindowRect restored = Shifted(full, miniNow.left - miniAtEntry.left, miniNow.top - miniAtEntry.top);
  if (restored.right < kLeftmostFullRight) restored = Shifted(restored, kLeftmostFullRight - restored.right, 0);
  return restored;
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

int HoverColumn(int x, int clientWidth) {
  int w = clientWidth;
  int m = w / 2;
  int column = -1;
  if (m + 2 < x && x < w - 7) column = 2;
  if ((m + w - 4) / 2 < x && x < w - 7) column = 3;
  if (6 < x && x < (m + 4) / 2 - 2) column = 0;
  if ((m + 4) / 2 + 2 < x && x < m - 2) column = 1;
  return column;
}

HoverBand HoverBandAt(int y) {
  if (176 <= y && y <= 225) return HoverBand::kMinimum;
  if (240 <= y && y <= 289) return HoverBand::kMaximum;
  return HoverBand::kNone;
}

bool InGpuField(int x, int y) { return 37 <= y && y <= 66 && 10 <= x && x <= 95; }

std::string GpuReportText(int minimum, const std::tm& minTime, int maximum, const std::tm& maxTime,
                          const std::string& degreeSuffix) {
  return Format("Minimum  %d%s\n", minimum, degreeSuffix.c_str()) + FormatTime("%b %d    %H:%M:%S\n\n", minTime) +
         Format("Maximum  %d%s\n", maximum, degreeSuffix.c_str()) + FormatTime("%b %d    %H:%M:%S\n", maxTime);
}

std::string HoverDateText(const std::tm& time) { return FormatTime("%b %d", time); }

std::optional<std::string> CoreHoverText(int x, int y, int clientWidth, const TemperatureStats& stats,
                                         const bool (&present)[kCoreSlots]) {
  int column = HoverColumn(x, clientWidth);
  HoverBand band = HoverBandAt(y);
  if (column < 0 || band == HoverBand::kNone || !present[column]) return std::nullopt;
  return HoverDateText(band == HoverBand::kMinimum ? stats.minTime[column] : stats.maxTime[column]);
}

}  // namespace korvath
