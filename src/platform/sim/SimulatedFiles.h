// Files of a simulated run, in memory, with the faults of a real disk: a
// missing folder, a read-only file, a file another program holds open, a
// full disk.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/FileAppender.h"
#include "platform/FileWriter.h"

namespace korvath {

class SimulatedFiles : public FileWriter, public FileAppender {
 public:
  bool WriteWhole(const std::string& path, std::string_view bytes) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  // All or nothing, as the log expects of a disk.
  bool Append(const std::string& path, std::string_view bytes) override;

  // Faults. A folder is the text before a path's last '/' or '\'.
  void SetFolderMissing(const std::string& folder, bool missing = true);
  void SetReadOnly(const std::string& path, bool readOnly = true);
  // Another program has the file open without sharing it: it can be neither
  // written, replaced nor deleted.
  void SetLocked(const std::string& path, bool locked = true);
  // Room left on the disk for the bytes of all files together; none: no limit.
  void SetCapacity(std::optional<size_t> bytes) { capacity_ = bytes; }

  bool Exists(const std::string& path) const { return files_.count(path) != 0; }
  // Empty for a file that is not there.
  std::string Read(const std::string& path) const;
  const std::map<std::string, std::string>& Files() const { return files_; }
  // Every call through either seam, failed ones included.
  int Calls() const { return calls_; }

 private:
  bool FolderExists(const std::string& path) const;
  size_t Room(const std::string& replacing) const;

  std::map<std::string, std::string> files_;
  std::set<std::string> missingFolders_;
  std::set<std::string> readOnly_;
  std::set<std::string> locked_;
  std::optional<size_t> capacity_;
  int calls_ = 0;
};

}  // namespace korvath
