#include "platform/win32/Win32FileWriter.h"

#include <windows.h>

#include <algorithm>

#include "platform/TextFormat.h"

namespace korvath {

const wchar_t* Win32FileWriter::Wide(const std::string& path, const wchar_t* keep) {
  for (const CachedPath& cached : paths_) {
    if (cached.utf8 == path && !cached.wide.empty()) return cached.wide.c_str();
  }
  if (paths_[nextSlot_].wide.c_str() == keep) nextSlot_ = (nextSlot_ + 1) % paths_.size();
  CachedPath& slot = paths_[nextSlot_];
  nextSlot_ = (nextSlot_ + 1) % paths_.size();
  slot.utf8 = path;
  slot.wide = Widen(path);
  return slot.wide.c_str();
}

bool Win32FileWriter::WriteWhole(const std::string& path, std::string_view bytes) {
  // No sharing while it is written: nobody reads a half-written file.
  HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  const char* next = bytes.data();
  size_t left = bytes.size();
  while (ok && left > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(left, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(file, next, chunk, &written, nullptr) && written == chunk;
    next += written;
    left -= written;
  }
  ok = CloseHandle(file) && ok;
  return ok;
}

bool Win32FileWriter::MoveReplacing(const std::string& from, const std::string& to) {
  const wchar_t* wideFrom = Wide(from);
  const wchar_t* wideTo = Wide(to, wideFrom);
  return MoveFileExW(wideFrom, wideTo, MOVEFILE_REPLACE_EXISTING) != 0;
}

void Win32FileWriter::Remove(const std::string& path) { DeleteFileW(Wide(path)); }

}  // namespace korvath
