// The two start-up conditions that end the process: a message box with the
// error icon, then exit code 0, before any window shows.
#pragma once

#include <string>

namespace korvath {

struct FatalError {
  std::string caption;
  std::string text;
  int exitCode = 0;
};

}  // namespace korvath
