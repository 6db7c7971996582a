#include "platform/win32/ShellTray.h"

#include <string>

#include "platform/TextFormat.h"

namespace korvath {

NOTIFYICONDATAW MakeNotifyIconData(HWND window, const TrayIconRecord& record) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V3_SIZE;
  data.hWnd = window;
  data.uID = record.id;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.icon);
  // Straight into the record: the tip changes every second.
  size_t capacity = sizeof data.szTip / sizeof data.szTip[0] - 1;
  size_t needed = WidenInto(record.tip, data.szTip, capacity);
  size_t length = needed < capacity ? needed : capacity;
  if (length < needed && length > 0 && IS_HIGH_SURROGATE(data.szTip[length - 1])) --length;
  data.szTip[length] = L'\0';
  return data;
}

bool ShellTray::AddIcon(const TrayIconRecord& record) {
  NOTIFYICONDATAW data = MakeNotifyIconData(window_, record);
  return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool ShellTray::ModifyIcon(const TrayIconRecord& record) {
  NOTIFYICONDATAW data = MakeNotifyIconData(window_, record);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool ShellTray::DeleteIcon(const TrayIconRecord& record) {
  NOTIFYICONDATAW data = MakeNotifyIconData(window_, record);
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

UINT ListenForTaskbarCreated(HWND window) {
  UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  if (message != 0) ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
  return message;
}

}  // namespace korvath
