#include "platform/sim/SimulatedTray.h"

namespace korvath {

std::string SimulatedTray::PictureOf(IconHandle icon) const {
  if (icon == kApplicationIcon) return "app";
  auto found = drawn_.find(icon);
  // A destroyed icon handed to the shell would show garbage on a real desktop.
  return found == drawn_.end() ? "invalid" : found->second;
}

bool SimulatedTray::AddIcon(const TrayIconRecord& record) {
  if (refuseAdds > 0) {
    --refuseAdds;
    return false;
  }
  if (shown_.count(record.id) != 0) return false;
  shown_[record.id] = {PictureOf(record.icon), record.tip};
  if (lateAdds > 0) {
    --lateAdds;
    return false;
  }
  return true;
}

bool SimulatedTray::ModifyIcon(const TrayIconRecord& record) {
  auto found = shown_.find(record.id);
  if (found == shown_.end()) return false;
  found->second.picture = PictureOf(record.icon);
  found->second.tip.assign(record.tip);
  return true;
}

bool SimulatedTray::DeleteIcon(const TrayIconRecord& record) { return shown_.erase(record.id) != 0; }

IconHandle SimulatedTray::DrawIcon(const std::string& text, uint32_t, int) {
  IconHandle icon = nextIcon_++;
  if (spare_.empty()) {
    drawn_.emplace(icon, text);
    return icon;
  }
  auto entry = std::move(spare_.back());
  spare_.pop_back();
  entry.key() = icon;
  entry.mapped().assign(text);
  drawn_.insert(std::move(entry));
  return icon;
}

void SimulatedTray::DestroyIcon(IconHandle icon) {
  auto entry = drawn_.extract(icon);
  if (entry) spare_.push_back(std::move(entry));
}

}  // namespace korvath
