// korvath-sim: runs Korvath's start-up and monitor cycles on a simulated
// machine and prints what the main window would show, one JSON object per
// line. A developer and test tool; the product itself has no command line.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/SimulationRun.h"

namespace {

constexpr int kUsageExitCode = 2;

const char kUsage[] = "usage: korvath-sim --machine FILE [--settings FILE] [--cycles N]\n";

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::error_code error;
  // A directory opens like a file here but reads as nothing.
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream contents;
  contents << file.rdbuf();
  if (file.bad()) return false;
  text = contents.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--help") {
    std::cout << kUsage;
    return 0;
  }
  korvath::SimulationOptions options;
  if (auto error = korvath::ParseSimulationOptions(argc - 1, argv + 1, options)) {
    std::cerr << "korvath-sim: " << *error << "\n" << kUsage;
    return kUsageExitCode;
  }
  std::string machineText;
  if (!ReadWholeFile(options.machinePath, machineText)) {
    std::cerr << "korvath-sim: cannot read machine file '" << options.machinePath << "'\n";
    return kUsageExitCode;
  }
  korvath::MachineParseResult machine = korvath::ParseMachineDescription(machineText);
  if (!machine.machine) {
    std::cerr << "korvath-sim: " << options.machinePath << ": " << machine.error << "\n";
    return kUsageExitCode;
  }
  korvath::SimulationSettings settings;
  if (options.settingsPath) {
    std::string text;
    if (!ReadWholeFile(*options.settingsPath, text)) {
      std::cerr << "korvath-sim: cannot read settings file '" << *options.settingsPath << "'\n";
      return kUsageExitCode;
    }
    settings = korvath::ParseSimulationSettings(text);
  }
  return korvath::RunSimulation(*machine.machine, settings, options.cycles, std::cout);
}
