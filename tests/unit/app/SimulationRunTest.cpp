#include "app/SimulationRun.h"

#include <gtest/gtest.h>

#include <sstream>

#include "TestMachines.h"
#include "app/JsonWriter.h"

namespace korvath {
namespace {

std::optional<std::string> Parse(std::vector<const char*> args, SimulationOptions& options) {
  return ParseSimulationOptions(static_cast<int>(args.size()), args.data(), options);
}

TEST(SimulationRun, JsonStringsAreEscaped) {
  EXPECT_EQ(JsonQuote("plain"), "\"plain\"");
  EXPECT_EQ(JsonQuote("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonQuote("line\nnext\ttab\r"), "\"line\\nnext\\ttab\\r\"");
  EXPECT_EQ(JsonQuote(std::string("nul\0end", 7)), "\"nul\\u0000end\"");
  EXPECT_EQ(JsonQuote("\x01\x1F"), "\"\\u0001\\u001f\"");
  EXPECT_EQ(JsonQuote("62\xC2\xB0" "C"), "\"62\xC2\xB0" "C\"");
  // Broken UTF-8 (a lone continuation byte, a truncated sequence, an
  // over-long form) must not reach the output as it is.
  EXPECT_EQ(JsonQuote("a\x80" "b"), "\"a\\ufffdb\"");
  EXPECT_EQ(JsonQuote("\xE2\x82"), "\"\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonQuote("\xC0\xAF"), "\"\\ufffd\\ufffd\"");

  JsonObject inner;
  inner.Add("1001", "62");
  JsonObject object;
  object.Add("type", "cycle").Add("cycle", uint64_t{3}).Add("masks", std::vector<int64_t>{1, -2}).Add("controls", inner);
  EXPECT_EQ(object.ToString(), R"({"type":"cycle","cycle":3,"masks":[1,-2],"controls":{"1001":"62"}})");
}

TEST(SimulationRun, CommandLine) {
  SimulationOptions options;
  EXPECT_FALSE(Parse({"--machine", "m.ini", "--settings", "s.ini", "--cycles", "5"}, options).has_value());
  EXPECT_EQ(options.machinePath, "m.ini");
  EXPECT_EQ(options.settingsPath, "s.ini");
  EXPECT_EQ(options.cycles, 5);

  const std::vector<std::vector<const char*>> refused = {
      {},
      {"--cycles", "2"},
      {"--machine"},
      {"--machine", "m.ini", "--verbose"},
      {"--machine", "m.ini", "--cycles", "-1"},
      {"--machine", "m.ini", "--cycles", "3x"},
      {"--machine", "m.ini", "--cycles", "99999999999999999999"},
  };
  for (const auto& args : refused) {
    SimulationOptions ignored;
    EXPECT_TRUE(Parse(args, ignored).has_value()) << (args.empty() ? "(none)" : args.back());
  }
}

TEST(SimulationRun, SettingsReachTheStartUpAndTheCycles) {
  std::string settings =
      "[Other]\nTjMax0=99\n[Korvath]\r\ntjmax0 = 80\r\nTjMax2=69\r\nIdle0=2.25\r\n"
      "DegreeSymbolString=degrees Celsius\r\n";

  std::ostringstream out;
  EXPECT_EQ(RunSimulation(testing::LoadMachine("e8400"), settings, 1, out), 0);
  std::istringstream lines(out.str());
  std::string startup;
  std::string cycle;
  std::getline(lines, startup);
  std::getline(lines, cycle);
  EXPECT_NE(startup.find(R"("tjMax":[80,100,100,100],"tjMaxDetected":[100,100,100,100])"), std::string::npos)
      << startup;
  // 80 - 38 + 23 * 38 / 400
  EXPECT_NE(cycle.find(R"("1001":"44")"), std::string::npos) << cycle;
  EXPECT_NE(cycle.find(R"("1019":"44degrees Cel")"), std::string::npos) << cycle;
}

TEST(SimulationRun, DriverErrorEndsTheStartUp) {
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.driverStatus = 2;
  std::ostringstream out;
  EXPECT_EQ(RunSimulation(machine, {}, 5, out), 0);
  EXPECT_EQ(out.str(),
            "{\"type\":\"fatal\",\"caption\":\"Driver Error\",\"text\":\"Driver Not Loaded\\nTry Run as "
            "Administrator.\",\"exitCode\":0}\n");
}

}  // namespace
}  // namespace korvath
