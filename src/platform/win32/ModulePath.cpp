#include "platform/win32/ModulePath.h"

namespace korvath {

std::wstring ModuleFileName(HMODULE module) {
  // GetModuleFileNameW truncates silently; grow until the path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  return path.substr(0, slash + 1);
}

std::wstring ExecutableFolder() { return FolderOf(ModuleFileName(nullptr)); }

}  // namespace korvath
