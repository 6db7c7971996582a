#include "monitor/MetricsFile.h"

#include <utility>

#include "platform/FolderPath.h"

namespace korvath {

std::string ResolveMetricsPath(std::string_view setting, std::string_view executableFolder) {
  if (setting.empty()) return {};
  return PathInFolder(setting, executableFolder);
}

MetricsFile::MetricsFile(FileWriter& files, std::string path, std::string head)
    : files_(files), path_(std::move(path)), temporaryPath_(path_ + ".tmp"), head_(std::move(head)) {}

bool MetricsFile::Write(const MetricsReadings& readings) {
  text_.assign(head_);
  AppendMetricsReadings(readings, text_);
  return PutInPlace();
}

bool MetricsFile::WriteStopped() {
  text_ = MetricsStoppedText();
  return PutInPlace();
}

bool MetricsFile::PutInPlace() {
  if (files_.WriteWhole(temporaryPath_, text_) && files_.MoveReplacing(temporaryPath_, path_)) return true;
  // A part written to a full disk, or a whole file that could not take the
  // target's place, must not stay behind.
  files_.Remove(temporaryPath_);
  return false;
}

}  // namespace korvath
