// FileWriter through CreateFileW, WriteFile and MoveFileExW.
#pragma once

#include <string>

#include "platform/FileWriter.h"

namespace korvath {

class Win32FileWriter : public FileWriter {
 public:
  bool WriteWhole(const std::string& path, std::string_view bytes) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;

 private:
  // One path converted to UTF-16 and kept while the same path comes again,
  // as the same two paths do every second: a steady run allocates nothing.
  class WidePath {
   public:
    const wchar_t* For(const std::string& path);

   private:
    std::string utf8_;
    std::wstring wide_;
  };

  // One per place a path is used at the same time, so that converting the
  // second path of a move never touches the first.
  WidePath first_;
  WidePath second_;
};

}  // namespace korvath
