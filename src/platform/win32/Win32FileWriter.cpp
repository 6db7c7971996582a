#include "platform/win32/Win32FileWriter.h"

#include <windows.h>

#include <algorithm>

#include "platform/TextFormat.h"

namespace korvath {

const wchar_t* Win32FileWriter::WidePath::For(const std::string& path) {
  if (wide_.empty() || utf8_ != path) {
    utf8_ = path;
    wide_ = Widen(path);
  }
  return wide_.c_str();
}

bool Win32FileWriter::WriteWhole(const std::string& path, std::string_view bytes) {
  // No sharing while it is written: nobody reads a half-written file.
  HANDLE file =
      CreateFileW(first_.For(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  return MoveFileExW(first_.For(from), second_.For(to), MOVEFILE_REPLACE_EXISTING) != 0;
}

void Win32FileWriter::Remove(const std::string& path) { DeleteFileW(first_.For(path)); }

}  // namespace korvath
