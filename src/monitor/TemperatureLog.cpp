#include "monitor/TemperatureLog.h"

#include <algorithm>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

std::string TemperatureLog::FormatLine(const std::tm& now, std::span<const int> presentTemperatures) {
  // "%x" is the runtime's own date form; the program never sets a locale, so
  // it reads 12/05/26 in the default one.
  char stamp[64] = {};
  size_t length = std::strftime(stamp, sizeof stamp, "%x %H:%M:%S", &now);
  std::string line(stamp, length);
  for (int temperature : presentTemperatures) line += Format(" %d", temperature);
  line += '\n';
  return line;
}

void TemperatureLog::Step(const std::tm& now, std::span<const int> presentTemperatures) {
  int secondOfDay = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec;
  int interval = settings_.logInterval > 0 ? settings_.logInterval : 1;
  if (secondOfDay % interval != 0) return;
  logBuffer_ += FormatLine(now, presentTemperatures);
  uint32_t hdWrite = settings_.hdWrite > 0 ? settings_.hdWrite : 1;
  if (static_cast<uint32_t>(secondOfDay) % hdWrite == 0) WriteLogBuffer();
}

void TemperatureLog::WriteLogBuffer() {
  if (logBuffer_.empty()) return;
  const char* name;
  if (settings_.csv) {
    std::replace(logBuffer_.begin(), logBuffer_.end(), ' ', ',');
    name = kCsvLogName;
  } else {
    std::replace(logBuffer_.begin(), logBuffer_.end(), ',', ' ');
    name = kTextLogName;
  }
  if (files_.Append(name, WithCrLf(logBuffer_))) logBuffer_.clear();
}

}  // namespace korvath
