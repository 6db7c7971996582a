// korvath-sim: runs Korvath's start-up and monitor cycles on a simulated
// machine and prints what the main window would show, one JSON object per
// line. A developer and test tool; the product itself has no command line.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/SimulationRun.h"
#include "tools/WorkKernel.h"

namespace {

constexpr int kUsageExitCode = 2;

const char kUsage[] =
    "usage: korvath-sim --machine FILE [--settings FILE] [--cycles N]\n"
    "       korvath-sim --work-kernel K\n";

// The benchmark's work with multiplier K, its checksum as 8 hex digits.
int RunWorkKernel(const char* text) {
  char* end = nullptr;
  errno = 0;
  long multiplier = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || multiplier < INT_MIN || multiplier > INT_MAX) {
    std::cerr << "korvath-sim: --work-kernel needs an integer, not '" << text << "'\n" << kUsage;
    return kUsageExitCode;
  }
  std::printf("%08X\n", static_cast<unsigned>(korvath::WorkKernel(static_cast<int>(multiplier))));
  return 0;
}

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
  if (argc == 3 && std::string(argv[1]) == "--work-kernel") return RunWorkKernel(argv[2]);
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
  std::optional<std::string> settings;
  if (options.settingsPath) {
    std::string text;
    if (!ReadWholeFile(*options.settingsPath, text)) {
      std::cerr << "korvath-sim: cannot read settings file '" << *options.settingsPath << "'\n";
      return kUsageExitCode;
    }
    settings = std::move(text);
  }
  return korvath::RunSimulation(*machine.machine, settings, options.cycles, std::cout);
}
