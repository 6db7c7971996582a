// FileWriter through CreateFileW, WriteFile and MoveFileExW.
#pragma once

#include <array>
#include <string>

#include "platform/FileWriter.h"

namespace korvath {

class Win32FileWriter : public FileWriter {
 public:
  bool WriteWhole(const std::string& path, std::string_view bytes) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;

 private:
  // The same two paths come every second: each is converted once and kept,
  // so a steady run allocates nothing here.
  struct CachedPath {
    std::string utf8;
    std::wstring wide;
  };
  // keep: a path handed out before, which must stay valid.
  const wchar_t* Wide(const std::string& path, const wchar_t* keep = nullptr);

  std::array<CachedPath, 2> paths_;
  size_t nextSlot_ = 0;
};

}  // namespace korvath
