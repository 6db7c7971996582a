#include "platform/sim/SimulatedFiles.h"

#include <algorithm>
#include <cstdint>

namespace korvath {
namespace {

std::string FolderOf(const std::string& path) {
  size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

bool SimulatedFiles::FolderExists(const std::string& path) const {
  return missingFolders_.count(FolderOf(path)) == 0;
}

// What may still be written into `replacing`, whose present bytes are freed.
size_t SimulatedFiles::Room(const std::string& replacing) const {
  if (!capacity_) return SIZE_MAX;
  size_t used = 0;
  for (const auto& [path, bytes] : files_) {
    if (path != replacing) used += bytes.size();
  }
  return used >= *capacity_ ? 0 : *capacity_ - used;
}

bool SimulatedFiles::WriteWhole(const std::string& path, std::string_view bytes) {
  ++calls_;
  if (!FolderExists(path) || readOnly_.count(path) || locked_.count(path)) return false;
  size_t room = Room(path);
  // A full disk takes what fits: the file is created with a part of the bytes.
  files_[path].assign(bytes.substr(0, std::min(room, bytes.size())));
  return bytes.size() <= room;
}

bool SimulatedFiles::MoveReplacing(const std::string& from, const std::string& to) {
  ++calls_;
  auto source = files_.find(from);
  if (source == files_.end() || !FolderExists(to) || locked_.count(from) || locked_.count(to)) return false;
  // Windows refuses to replace a read-only file.
  if (readOnly_.count(to)) return false;
  if (from == to) return true;
  std::string bytes = std::move(source->second);
  files_.erase(source);
  files_[to] = std::move(bytes);
  if (readOnly_.erase(from)) readOnly_.insert(to);
  return true;
}

void SimulatedFiles::Remove(const std::string& path) {
  ++calls_;
  if (locked_.count(path) || readOnly_.count(path)) return;
  files_.erase(path);
}

bool SimulatedFiles::Append(const std::string& path, std::string_view bytes) {
  ++calls_;
  if (!FolderExists(path) || readOnly_.count(path) || locked_.count(path)) return false;
  if (bytes.size() > Room(std::string())) return false;
  files_[path].append(bytes);
  return true;
}

void SimulatedFiles::SetFolderMissing(const std::string& folder, bool missing) {
  if (missing) missingFolders_.insert(folder);
  else missingFolders_.erase(folder);
}

void SimulatedFiles::SetReadOnly(const std::string& path, bool readOnly) {
  if (readOnly) readOnly_.insert(path);
  else readOnly_.erase(path);
}

void SimulatedFiles::SetLocked(const std::string& path, bool locked) {
  if (locked) locked_.insert(path);
  else locked_.erase(path);
}

std::string SimulatedFiles::Read(const std::string& path) const {
  auto found = files_.find(path);
  return found == files_.end() ? std::string() : found->second;
}

}  // namespace korvath
