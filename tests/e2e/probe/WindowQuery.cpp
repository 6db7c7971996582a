#include "WindowQuery.h"

#include <cwchar>
#include <cwctype>

namespace probe {
namespace {

WindowInfo Describe(HWND window) {
  WindowInfo info;
  info.handle = window;
  GetWindowThreadProcessId(window, &info.processId);
  wchar_t className[256] = {};
  GetClassNameW(window, className, 256);
  info.className = className;
  info.text = WindowText(window);
  GetWindowRect(window, &info.rect);
  info.controlId = GetDlgCtrlID(window);
  info.visible = IsWindowVisible(window) != FALSE;
  info.enabled = IsWindowEnabled(window) != FALSE;
  return info;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowInfo>*>(list)->push_back(Describe(window));
  return TRUE;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

}  // namespace

std::vector<WindowInfo> TopLevelWindows() {
  std::vector<WindowInfo> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<WindowInfo> ChildWindows(HWND parent) {
  std::vector<WindowInfo> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 1000, &copied)) {
    return {};
  }
  text.resize(copied < length ? copied : length);
  return text;
}

std::wstring ProcessExeName(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return {};
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  if (!ok) return {};
  std::wstring full(path, size);
  size_t slash = full.find_last_of(L"\\/");
  return Lower(slash == std::wstring::npos ? full : full.substr(slash + 1));
}

HWND FindTopLevelWindow(const std::wstring& name) {
  if (name.rfind(L"0x", 0) == 0) {
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(name.c_str(), nullptr, 16)));
    return IsWindow(window) ? window : nullptr;
  }
  HWND hidden = nullptr;
  for (const WindowInfo& info : TopLevelWindows()) {
    if (info.text != name) continue;
    if (info.visible) return info.handle;
    if (hidden == nullptr) hidden = info.handle;
  }
  return hidden;
}

HWND FindControl(HWND window, int controlId, const std::wstring& className) {
  for (const WindowInfo& child : ChildWindows(window)) {
    if (child.controlId != controlId) continue;
    if (className.empty() || Lower(child.className) == Lower(className)) return child.handle;
  }
  return nullptr;
}

}  // namespace probe
