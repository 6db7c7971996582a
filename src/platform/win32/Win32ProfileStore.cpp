#include "platform/win32/Win32ProfileStore.h"

#include <windows.h>

#include <vector>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

std::wstring WidenView(std::string_view text) { return Widen(std::string(text)); }

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

Win32ProfileStore::Win32ProfileStore(std::string path, std::string section)
    : path_(Widen(path)), section_(Widen(section)) {}

unsigned Win32ProfileStore::ReadInt(std::string_view key, int defaultValue) {
  if (path_.empty()) return static_cast<unsigned>(defaultValue);
  return GetPrivateProfileIntW(section_.c_str(), WidenView(key).c_str(), defaultValue, path_.c_str());
}

std::string Win32ProfileStore::ReadString(std::string_view key, std::string_view defaultValue,
                                          size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::wstring fallback = WidenView(defaultValue);
  if (path_.empty()) {
    while (fallback.size() > 1 && fallback.back() == L' ') fallback.pop_back();
    return Narrow(fallback.substr(0, bufferSize - 1));
  }
  std::vector<wchar_t> buffer(bufferSize, L'\0');
  DWORD length = GetPrivateProfileStringW(section_.c_str(), WidenView(key).c_str(), fallback.c_str(),
                                          buffer.data(), static_cast<DWORD>(bufferSize), path_.c_str());
  return Narrow(std::wstring(buffer.data(), length));
}

bool Win32ProfileStore::WriteString(std::string_view key, std::string_view value) {
  // A line break in a value would write a line of its own into the file.
  if (path_.empty() || key.empty() || HasLineBreakOrNul(key) || HasLineBreakOrNul(value) ||
      key.find('=') != std::string_view::npos) {
    return false;
  }
  return WritePrivateProfileStringW(section_.c_str(), WidenView(key).c_str(), WidenView(value).c_str(),
                                    path_.c_str()) != FALSE;
}

}  // namespace korvath
