// Where the settings file lives: beside the executable, named after it.
#pragma once

#include <string>

namespace korvath {

// The executable's path with the file name's ".exe" extension (any case)
// replaced by ".ini", or ".ini" appended when the name has no such extension.
// Only the file name is touched, so a folder called "tools.exe" stays, and
// the result is never the executable itself. Empty when the module path is
// unknown: there is then no settings file to read or write.
std::string SettingsPathForModule(const std::string& modulePath);

}  // namespace korvath
