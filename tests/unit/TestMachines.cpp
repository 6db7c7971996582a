#include "TestMachines.h"

#include <gtest/gtest.h>

namespace korvath::testing {

std::string SourcePath(const std::string& relative) {
  return std::string(KORVATH_SOURCE_DIR) + "/" + relative;
}

MachineDescription LoadMachine(const std::string& name) {
  MachineParseResult result = LoadMachineDescription(SourcePath("sim/machines/" + name + ".ini"));
  EXPECT_TRUE(result.machine.has_value()) << result.error;
  return result.machine.value_or(MachineDescription{});
}

MachineDescription ParseMachine(const std::string& text) {
  MachineParseResult result = ParseMachineDescription(text);
  EXPECT_TRUE(result.machine.has_value()) << result.error;
  return result.machine.value_or(MachineDescription{});
}

}  // namespace korvath::testing
