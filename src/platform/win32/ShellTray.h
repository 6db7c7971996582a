// TrayShell over Shell_NotifyIconW for the main window's icons.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "platform/TrayShell.h"

namespace korvath {

class ShellTray : public TrayShell {
 public:
  explicit ShellTray(HWND window) : window_(window) {}

  bool AddIcon(const TrayIconRecord& record) override;
  bool ModifyIcon(const TrayIconRecord& record) override;
  bool DeleteIcon(const TrayIconRecord& record) override;

 private:
  HWND window_;
};

// The version-3 record: NOTIFYICONDATAW_V3_SIZE is 952 bytes in a 32-bit
// process and 968 in a 64-bit one, so no literal size will do for both.
// The tip is cut to what the shell keeps, never inside a surrogate pair.
NOTIFYICONDATAW MakeNotifyIconData(HWND window, const TrayIconRecord& record);

// Registers the "TaskbarCreated" broadcast, which Explorer sends when it
// re-creates the notification area, and lets it through to this elevated
// window from the non-elevated shell. 0 when it cannot be registered.
UINT ListenForTaskbarCreated(HWND window);

}  // namespace korvath
