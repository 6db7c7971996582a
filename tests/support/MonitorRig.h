// The tests run the whole monitor as korvath-sim does, on SimulatedMonitor;
// their settings are the lines of the [Korvath] section.
#pragma once

#include <optional>
#include <string>

#include "app/SimulatedMonitor.h"

namespace korvath::testing {

// The settings file with lines in its [Korvath] section; no file without.
inline std::optional<std::string> KorvathSection(const std::string& lines) {
  if (lines.empty()) return std::nullopt;
  return "[Korvath]\n" + lines;
}

}  // namespace korvath::testing
