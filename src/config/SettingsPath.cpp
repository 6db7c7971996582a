#include "config/SettingsPath.h"

namespace korvath {
namespace {

bool EndsWithExeIgnoringCase(const std::string& path, size_t nameStart) {
  static constexpr char kExtension[] = ".exe";
  constexpr size_t kLength = sizeof kExtension - 1;
  if (path.size() < nameStart + kLength + 1) return false;  // a bare ".exe" is a name, not an extension
  size_t at = path.size() - kLength;
  for (size_t i = 0; i < kLength; ++i) {
    char c = path[at + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExtension[i]) return false;
  }
  return true;
}

}  // namespace

std::string SettingsPathForModule(const std::string& modulePath) {
  if (modulePath.empty()) return {};
  size_t separator = modulePath.find_last_of("\\/");
  size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  if (EndsWithExeIgnoringCase(modulePath, nameStart)) {
    return modulePath.substr(0, modulePath.size() - 4) + ".ini";
  }
  return modulePath + ".ini";
}

}  // namespace korvath
