// The notification area of a simulated run: icons drawn as their text,
// counted while alive, and the shell's view of every added icon. Like the
// real shell it refuses to add an id it already shows.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/TrayShell.h"

namespace korvath {

class SimulatedTray : public TrayShell, public TrayIconPainter {
 public:
  static constexpr IconHandle kApplicationIcon = 1;

  struct ShownIcon {
    std::string picture;  // the drawn text, or "app" for the application icon
    std::string tip;
  };

  bool AddIcon(const TrayIconRecord& record) override;
  bool ModifyIcon(const TrayIconRecord& record) override;
  bool DeleteIcon(const TrayIconRecord& record) override;
  IconHandle DrawIcon(const std::string& text, uint32_t colour, int fontNumber) override;
  void DestroyIcon(IconHandle icon) override;

  // By icon id (4294 + index).
  const std::map<uint32_t, ShownIcon>& Shown() const { return shown_; }
  size_t LiveIcons() const { return drawn_.size(); }
  bool IsLive(IconHandle icon) const { return drawn_.count(icon) != 0; }
  int DestroyedIcons() const { return destroyed_; }
  // Icons destroyed that were not alive, and icons handed to the shell after
  // they were destroyed: either would break a real desktop.
  int Faults() const { return faults_; }
  // Explorer re-creates the notification area: every icon is gone.
  void Restart() { shown_.clear(); }

  // The shell refuses this many adds first (no notification area yet).
  int refuseAdds = 0;
  // This many adds are taken but reported as failed (a shell too slow to
  // answer in time).
  int lateAdds = 0;
  // While set every drawing fails, as when the system runs out of GDI objects.
  bool failDrawing = false;
  // While set every shell call is recorded in calls: "add 4294", "add 4294
  // refused", "modify 4294 45" (the picture), "modify 4294 refused",
  // "delete 4294". Off for long runs, which keep no record.
  bool recordCalls = false;
  std::vector<std::string> calls;

 private:
  std::string PictureOf(IconHandle icon) const;
  void Record(const char* call, uint32_t id, const std::string& detail = std::string());

  std::map<uint32_t, ShownIcon> shown_;
  std::map<IconHandle, std::string> drawn_;
  // Entries of destroyed icons, reused for the next drawn ones: a run that
  // redraws its icons every second then keeps its memory as it is.
  std::vector<std::map<IconHandle, std::string>::node_type> spare_;
  IconHandle nextIcon_ = 100;
  int destroyed_ = 0;
  int faults_ = 0;
};

}  // namespace korvath
