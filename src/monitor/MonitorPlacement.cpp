// The main window's anchor position and hover reports.
#include "monitor/CoreGrid.h"
#include "monitor/Monitor.h"
#include "monitor/WindowPlacement.h"

namespace korvath {

bool Monitor::ReachableAt(ScreenPoint topLeft) {
  WindowRect rect = view_.GetWindowRect();
  WindowRect there{topLeft.x, topLeft.y, topLeft.x + rect.Width(), topLeft.y + rect.Height()};
  return WindowReachable(there, view_.WorkAreas());
}

// Going to an anchor where the window could not be taken hold of any more
// leaves the window where it is.
std::optional<std::string> Monitor::OnAnchorDoubleClick(bool shift) {
  WindowRect rect = view_.GetWindowRect();
  if (!shift) {
    if (ReachableAt(anchorPoint_)) {
      view_.MoveWindowBy(anchorPoint_.x - rect.left, anchorPoint_.y - rect.top);
    }
    return std::nullopt;
  }
  ScreenPoint previous = anchorPoint_;
  anchorPoint_ = {rect.left, rect.top};
  anchorCopy_ = {rect.right, rect.bottom};
  anchorSet_ = true;
  return AnchorMessage(previous, anchorPoint_);
}

std::optional<HoverReport> Monitor::HoverReportAt(int x, int y, int clientWidth, const LayoutScale& scale,
                                                  const CoreGridLayout* grid) const {
  if (settings_.miniMode) return std::nullopt;
  // A further core's minimum or maximum, or the time of either.
  if (grid != nullptr) {
    if (std::optional<CoreGridLayout::Hit> hit = grid->ValueAt(x, y)) {
      bool minimum = hit->field == CoreField::kMinimum || hit->field == CoreField::kMinimumTime;
      bool maximum = hit->field == CoreField::kMaximum || hit->field == CoreField::kMaximumTime;
      CoreReading core = temperatures_.Core(hit->displayCore);
      if (!(minimum || maximum) || !core.present) return std::nullopt;
      return HoverReport{HoverReport::Kind::kPopup, HoverDateText(minimum ? core.minTime : core.maxTime)};
    }
  }
  const TemperatureStats& stats = temperatures_.stats();
  if (gpuReading_ && InGpuField(x, y, scale)) {
    return HoverReport{HoverReport::Kind::kGpuBox,
                       GpuReportText(stats.minTemp[kGpuEntry], stats.minTime[kGpuEntry], stats.maxTemp[kGpuEntry],
                                     stats.maxTime[kGpuEntry], settings_.degreeSuffix)};
  }
  bool present[kCoreSlots];
  for (int slot = 0; slot < kCoreSlots; ++slot) present[slot] = settings_.SlotUsed(slot);
  std::optional<std::string> text = CoreHoverText(x, y, clientWidth, stats, present, scale);
  if (!text) return std::nullopt;
  return HoverReport{HoverReport::Kind::kPopup, *text};
}

}  // namespace korvath
