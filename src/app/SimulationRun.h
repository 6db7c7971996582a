// The start-up and the monitor cycles of Korvath on a simulated machine,
// reported as one JSON object per line.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "platform/sim/MachineDescription.h"

namespace korvath {

struct SimulationOptions {
  std::string machinePath;
  std::optional<std::string> settingsPath;
  int cycles = 0;
};

// Parses the command line (without the program name). On error the message
// names the problem and options is left incomplete.
std::optional<std::string> ParseSimulationOptions(int argc, const char* const* argv,
                                                  SimulationOptions& options);

// Prints the start-up result (or the fatal message box that ended it) and
// then one object per cycle; returns the exit code of the simulated process.
// settingsText is the content of the settings file; without one every
// setting has its default. After the cycles the shutdown runs, and its
// report holds the settings file as the shutdown left it and, with
// MetricsFile set, the metrics file as Korvath leaves it ("metricsFile").
int RunSimulation(const MachineDescription& machine, const std::optional<std::string>& settingsText, int cycles,
                  std::ostream& out);

}  // namespace korvath
