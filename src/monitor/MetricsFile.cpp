#include "monitor/MetricsFile.h"

#include <utility>

namespace korvath {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAbsolute(std::string_view path) {
  if (!path.empty() && IsSeparator(path[0])) return true;  // a root or a network path
  bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path.size() >= 2 && path[1] == ':';
}

}  // namespace

std::string ResolveMetricsPath(std::string_view setting, std::string_view executableFolder) {
  if (setting.empty()) return {};
  if (IsAbsolute(setting) || executableFolder.empty()) return std::string(setting);
  std::string path(executableFolder);
  if (!IsSeparator(path.back())) path += path.find('\\') != std::string::npos ? '\\' : '/';
  return path.append(setting);
}

MetricsFile::MetricsFile(FileWriter& files, std::string path, std::string head)
    : files_(files), path_(std::move(path)), temporaryPath_(path_ + ".tmp"), head_(std::move(head)) {}

bool MetricsFile::Write(const MetricsReadings& readings) {
  text_.assign(head_);
  AppendMetricsReadings(readings, text_);
  if (files_.WriteWhole(temporaryPath_, text_) && files_.MoveReplacing(temporaryPath_, path_)) return true;
  // A part written to a full disk, or a whole file that could not take the
  // target's place, must not stay behind.
  files_.Remove(temporaryPath_);
  return false;
}

}  // namespace korvath
