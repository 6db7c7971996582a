#include "platform/win32/Win32TimeSource.h"

#include <windows.h>

#include <ctime>

namespace korvath {

std::tm Win32TimeSource::LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  // The thread-safe form; localtime's static buffer is shared with any
  // other caller in the process.
  localtime_s(&local, &now);
  return local;
}

int64_t Win32TimeSource::UnixTime() { return static_cast<int64_t>(std::time(nullptr)); }

uint32_t Win32TimeSource::TickCount() { return GetTickCount(); }

int64_t Win32TimeSource::PerformanceCounter() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

int64_t Win32TimeSource::PerformanceFrequency() {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

void Win32TimeSource::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace korvath
