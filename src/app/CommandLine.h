// The switches for installers and administrators: "/startup on|off" adds or
// removes the start-up task and "/?" lists them. A command line does its
// work and ends, with no window, no driver and no settings file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/TaskScheduler.h"

namespace korvath {

inline constexpr int kSchedulerRefusedExitCode = 1;
inline constexpr int kBadCommandLineExitCode = 2;

struct CommandLineOutput {
  std::string out;    // the list of switches
  std::string error;  // one line saying why it failed
};

std::string CommandLineUsage(const std::string& program);

// args without the program's own name. Nothing when there is nothing to do
// but start; otherwise the exit code.
std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& program,
                                  TaskScheduler& scheduler, const std::string& executablePath,
                                  CommandLineOutput& output);

}  // namespace korvath
