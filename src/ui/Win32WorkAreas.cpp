#include "ui/Win32WorkAreas.h"

#include <windows.h>

namespace korvath {
namespace {

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<WindowRect>*>(areas)->push_back(
        {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
  }
  return TRUE;
}

}  // namespace

bool IsOnWorkArea(int x, int y) {
  HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL);
  if (monitor == nullptr) return false;
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return false;
  return PtInRect(&info.rcWork, POINT{x, y}) != FALSE;
}

std::vector<WindowRect> ConnectedWorkAreas() {
  std::vector<WindowRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

}  // namespace korvath
