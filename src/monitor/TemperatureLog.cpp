#include "monitor/TemperatureLog.h"

#include <algorithm>
#include <cstdio>

#include "platform/FolderPath.h"

namespace korvath {
namespace {

void CopyWithCrLf(const std::string& text, std::string& out) {
  out.clear();
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

}  // namespace

TemperatureLog::TemperatureLog(const AppSettings& settings, FileAppender& files, std::string_view folder)
    : settings_(settings),
      files_(files),
      textPath_(PathInFolder(kTextLogName, folder)),
      csvPath_(PathInFolder(kCsvLogName, folder)) {}

// Straight into the buffer: a line is longer than a string keeps without
// the heap, and the log step runs every second.
void TemperatureLog::AppendLine(std::string& out, const std::tm& now, std::span<const int> presentTemperatures,
                                std::span<const std::optional<int>> packageTemperatures) {
  // "%x" is the runtime's own date form; the program never sets a locale, so
  // it reads 12/05/26 in the default one.
  char stamp[64] = {};
  size_t length = std::strftime(stamp, sizeof stamp, "%x %H:%M:%S", &now);
  out.append(stamp, length);
  for (int temperature : presentTemperatures) {
    char number[16];
    int written = std::snprintf(number, sizeof number, " %d", temperature);
    if (written > 0) out.append(number, static_cast<size_t>(written));
  }
  for (const std::optional<int>& temperature : packageTemperatures) {
    out += ' ';
    if (!temperature) continue;
    char number[16];
    int written = std::snprintf(number, sizeof number, "%d", *temperature);
    if (written > 0) out.append(number, static_cast<size_t>(written));
  }
  out += '\n';
}

void TemperatureLog::Step(const std::tm& now, std::span<const int> presentTemperatures,
                          std::span<const std::optional<int>> packageTemperatures) {
  int secondOfDay = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec;
  int interval = settings_.logInterval > 0 ? settings_.logInterval : 1;
  if (secondOfDay % interval != 0) return;
  AppendLine(logBuffer_, now, presentTemperatures, packageTemperatures);
  uint32_t hdWrite = settings_.hdWrite > 0 ? settings_.hdWrite : 1;
  if (static_cast<uint32_t>(secondOfDay) % hdWrite == 0) WriteLogBuffer();
}

void TemperatureLog::WriteLogBuffer() {
  if (logBuffer_.empty()) return;
  const std::string* path;
  if (settings_.csv) {
    std::replace(logBuffer_.begin(), logBuffer_.end(), ' ', ',');
    path = &csvPath_;
  } else {
    std::replace(logBuffer_.begin(), logBuffer_.end(), ',', ' ');
    path = &textPath_;
  }
  CopyWithCrLf(logBuffer_, diskBlock_);
  if (files_.Append(*path, diskBlock_)) logBuffer_.clear();
}

}  // namespace korvath
