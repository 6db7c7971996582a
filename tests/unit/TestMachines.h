// Machine descriptions for tests: the files under sim/machines/ and small
// hand-made ones.
#pragma once

#include <string>

#include "platform/sim/MachineDescription.h"

namespace korvath::testing {

// Path of a file under the source tree, for example "sim/machines/e8400.ini".
std::string SourcePath(const std::string& relative);

// Parses sim/machines/<name>.ini; fails the test when it does not parse.
MachineDescription LoadMachine(const std::string& name);

// Parses text; fails the test when it does not parse.
MachineDescription ParseMachine(const std::string& text);

}  // namespace korvath::testing
