// The few settings the simulation applies so far, read from the INI file's
// "Korvath" section: TjMax0-3, Idle0-3 and DegreeSymbolString.
#pragma once

#include <optional>
#include <string>

#include "hw/CpuInfo.h"

namespace korvath {

struct SimulationSettings {
  int tjMax[kCoreSlots] = {};           // 0: keep the detected value
  std::string idle[kCoreSlots];         // degrees as text; empty: none
  std::string degreeSymbolString;       // empty: "°C"
};

// Missing keys keep their defaults; other keys and sections are ignored.
SimulationSettings ParseSimulationSettings(const std::string& text);

}  // namespace korvath
