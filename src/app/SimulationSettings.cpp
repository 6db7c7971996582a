#include "app/SimulationSettings.h"

#include <cstdlib>
#include <sstream>

namespace korvath {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

bool SameKey(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

// Leading decimal digits, like the profile functions' integer read.
int LeadingInt(const std::string& value) {
  long parsed = std::strtol(value.c_str(), nullptr, 10);
  if (parsed > 100000 || parsed < -100000) return 0;
  return static_cast<int>(parsed);
}

// The first count UTF-16 units' worth of a UTF-8 text, never cutting a
// character in two.
std::string FirstUnits(const std::string& text, size_t count) {
  size_t units = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;
    units += byte >= 0xF0 ? 2 : 1;
    if (units > count) return text.substr(0, i);
  }
  return text;
}

}  // namespace

SimulationSettings ParseSimulationSettings(const std::string& text) {
  SimulationSettings settings;
  std::istringstream stream(text);
  std::string line;
  bool inSection = false;
  bool firstLine = true;
  while (std::getline(stream, line)) {
    if (firstLine && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    firstLine = false;
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      inSection = line.back() == ']' && SameKey(Trim(line.substr(1, line.size() - 2)), "Korvath");
      continue;
    }
    size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos) continue;
    std::string key = Trim(line.substr(0, equals));
    std::string value = Trim(line.substr(equals + 1));
    for (int k = 0; k < kCoreSlots; ++k) {
      if (SameKey(key, "TjMax" + std::to_string(k))) settings.tjMax[k] = LeadingInt(value);
      if (SameKey(key, "Idle" + std::to_string(k))) settings.idle[k] = value;
    }
    if (SameKey(key, "DegreeSymbolString")) settings.degreeSymbolString = FirstUnits(value, 11);
  }
  return settings;
}

}  // namespace korvath
