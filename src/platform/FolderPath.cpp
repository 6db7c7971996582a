#include "platform/FolderPath.h"

namespace korvath {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsAbsolutePath(std::string_view path) {
  if (!path.empty() && IsSeparator(path[0])) return true;
  bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path.size() >= 2 && path[1] == ':';
}

std::string PathInFolder(std::string_view name, std::string_view folder) {
  if (IsAbsolutePath(name) || folder.empty()) return std::string(name);
  std::string path(folder);
  if (!IsSeparator(path.back())) path += path.find('\\') != std::string::npos ? '\\' : '/';
  return path.append(name);
}

}  // namespace korvath
