// The seam to the file system for files that are rewritten whole and put in
// place in one step (the metrics file).
#pragma once

#include <string>
#include <string_view>

namespace korvath {

class FileWriter {
 public:
  virtual ~FileWriter() = default;

  // Creates the file, or empties it, and writes bytes. True only when all of
  // them reached the file and it was closed without error; on false the file
  // may hold part of them.
  virtual bool WriteWhole(const std::string& path, std::string_view bytes) = 0;

  // Puts the file `from` in the place of `to` in one step, replacing any file
  // there: a reader of `to` opens either the old or the new file, never a mix.
  // On false both are left as they were.
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;

  // Deletes the file; a file that is not there is no error.
  virtual void Remove(const std::string& path) = 0;
};

}  // namespace korvath
