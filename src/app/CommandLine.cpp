#include "app/CommandLine.h"

#include "config/StartWithWindows.h"

namespace korvath {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// "/startup" and "-startup" alike, as Windows programs take them.
bool IsSwitch(const std::string& arg, const char* name) {
  return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-') && Lower(arg.substr(1)) == name;
}

}  // namespace

std::string CommandLineUsage(const std::string& program) {
  return "Usage: " + program + " [/startup on|off | /?]\n"
         "  /startup on   start Korvath at every logon of this user, with administrator rights\n"
         "                (a Task Scheduler task, \\Korvath\\Korvath)\n"
         "  /startup off  remove that task\n"
         "  /?            show this list\n"
         "Without a switch Korvath opens its window. /startup needs an administrator command prompt;\n"
         "it exits with 0 when done, 1 when the Task Scheduler refused, 2 for a wrong command line.\n";
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args, const std::string& program,
                                  TaskScheduler& scheduler, const std::string& executablePath,
                                  CommandLineOutput& output) {
  if (args.empty()) return std::nullopt;
  if (args.size() == 1 && IsSwitch(args[0], "?")) {
    output.out = CommandLineUsage(program);
    return 0;
  }
  if (args.size() == 2 && IsSwitch(args[0], "startup")) {
    std::string state = Lower(args[1]);
    if (state == "on" || state == "off") {
      bool on = state == "on";
      SchedulerResult result = SetStartupTask(scheduler, executablePath, on);
      if (result.Succeeded()) return 0;
      output.error = StartupFailureLine(result, on) + "\n";
      return kSchedulerRefusedExitCode;
    }
  }
  std::string given;
  for (const std::string& arg : args) given += (given.empty() ? "" : " ") + arg;
  output.error = program + ": unknown command line \"" + given + "\"; " + program + " /? lists the switches\n";
  return kBadCommandLineExitCode;
}

}  // namespace korvath
