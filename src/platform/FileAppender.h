// The seam to the file system for files that only ever grow (the log).
#pragma once

#include <string>
#include <string_view>

namespace korvath {

class FileAppender {
 public:
  virtual ~FileAppender() = default;

  // Appends bytes exactly as given to the file, creating it when missing and
  // never truncating what is there. True only when the whole block was written
  // and the file closed without error; on false the file holds none of it.
  virtual bool Append(const std::string& path, std::string_view bytes) = 0;
};

}  // namespace korvath
