#include "platform/sim/SimulatedTray.h"

#include "platform/TextFormat.h"

namespace korvath {

std::string SimulatedTray::PictureOf(IconHandle icon) const {
  if (icon == kApplicationIcon) return "app";
  auto found = drawn_.find(icon);
  // A destroyed icon handed to the shell would show garbage on a real desktop.
  return found == drawn_.end() ? "invalid" : found->second;
}

void SimulatedTray::Record(const char* call, uint32_t id, const std::string& detail) {
  if (!recordCalls) return;
  calls.push_back(Format("%s %u", call, id));
  if (!detail.empty()) calls.back() += " " + detail;
}

bool SimulatedTray::AddIcon(const TrayIconRecord& record) {
  if (refuseAdds > 0) {
    --refuseAdds;
    Record("add", record.id, "refused");
    return false;
  }
  if (shown_.count(record.id) != 0) {
    Record("add", record.id, "refused");
    return false;
  }
  shown_[record.id] = {PictureOf(record.icon), record.tip};
  if (lateAdds > 0) {
    --lateAdds;
    Record("add", record.id, "late");
    return false;
  }
  Record("add", record.id);
  return true;
}

bool SimulatedTray::ModifyIcon(const TrayIconRecord& record) {
  auto found = shown_.find(record.id);
  if (found == shown_.end()) {
    Record("modify", record.id, "refused");
    return false;
  }
  found->second.picture = PictureOf(record.icon);
  found->second.tip.assign(record.tip);
  if (record.icon != kApplicationIcon && !IsLive(record.icon)) ++faults_;
  Record("modify", record.id, found->second.picture);
  return true;
}

bool SimulatedTray::DeleteIcon(const TrayIconRecord& record) {
  Record("delete", record.id);
  return shown_.erase(record.id) != 0;
}

IconHandle SimulatedTray::DrawIcon(const std::string& text, uint32_t, int) {
  if (failDrawing) return 0;
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
  if (!entry) {
    ++faults_;
    return;
  }
  ++destroyed_;
  spare_.push_back(std::move(entry));
}

}  // namespace korvath
