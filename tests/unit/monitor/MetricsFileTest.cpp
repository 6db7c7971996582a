#include "monitor/MetricsFile.h"

#include <gtest/gtest.h>

#include "platform/sim/SimulatedFiles.h"

namespace korvath {
namespace {

TEST(MetricsFile, RelativePathsStartInTheExecutablesFolder) {
  EXPECT_EQ(ResolveMetricsPath("", "C:\\Korvath\\"), "");
  EXPECT_EQ(ResolveMetricsPath("korvath.prom", "C:\\Korvath\\"), "C:\\Korvath\\korvath.prom");
  EXPECT_EQ(ResolveMetricsPath("..\\textfile\\k.prom", "C:\\Korvath"), "C:\\Korvath\\..\\textfile\\k.prom");
  EXPECT_EQ(ResolveMetricsPath("D:\\exporter\\k.prom", "C:\\Korvath\\"), "D:\\exporter\\k.prom");
  EXPECT_EQ(ResolveMetricsPath("d:/exporter/k.prom", "C:\\Korvath\\"), "d:/exporter/k.prom");
  EXPECT_EQ(ResolveMetricsPath("\\\\server\\share\\k.prom", "C:\\Korvath\\"), "\\\\server\\share\\k.prom");
  EXPECT_EQ(ResolveMetricsPath("k.prom", "/opt/korvath"), "/opt/korvath/k.prom");
}

// Label values escape what would end or break them; the clock line's series
// wait for the clock, take the window's digits and show the load as a ratio.
TEST(MetricsFile, LabelsAndClockLineFromTheWindowsTexts) {
  std::string head = MetricsHead("Quad \"Q9550\" \\ A\nB", "1067A", "2.90");
  EXPECT_NE(head.find("korvath_info{model=\"Quad \\\"Q9550\\\" \\\\ A\\nB\",signature=\"1067A\",version=\"2.90\"} 1\n"),
            std::string::npos)
      << head;

  MetricsReadings readings;
  std::string text;
  AppendMetricsReadings(readings, text);
  EXPECT_EQ(text.find("korvath_cpu_"), std::string::npos) << text;
  EXPECT_EQ(text.find("korvath_core_"), std::string::npos) << text;

  struct Case {
    const char* clock;
    const char* busMultiplier;
    const char* load;
    const char* expected;
  };
  const Case cases[] = {
      {"2666.35 MHz", "333.29 x 8.0", "Load  37.5%",
       "korvath_cpu_clock_mhz 2666.35\n|korvath_cpu_bus_mhz 333.29\n|korvath_cpu_multiplier 8.0\n|"
       "korvath_cpu_load_ratio 0.375\n"},
      {"nan MHz", "nan x 9.5", "Load 100.0%", "korvath_cpu_multiplier 9.5\n|korvath_cpu_load_ratio 1.000\n"},
      {"", "", "Load   0.1%", "korvath_cpu_load_ratio 0.001\n"},
  };
  for (const Case& c : cases) {
    readings.clockText = c.clock;
    readings.busMultiplierText = c.busMultiplier;
    readings.loadText = c.load;
    text.clear();
    AppendMetricsReadings(readings, text);
    std::string samples;
    size_t at = 0;
    while ((at = text.find("\nkorvath_cpu_", at)) != std::string::npos) {
      size_t end = text.find('\n', at + 1);
      samples += text.substr(at + 1, end - at) + "|";
      at = end;
    }
    samples.pop_back();
    EXPECT_EQ(samples, c.expected) << c.clock;
  }
}

// The file reaches its place whole or not at all, and a failed cycle leaves
// neither a part nor a temporary file.
TEST(MetricsFile, WrittenBesideThenPutInPlace) {
  SimulatedFiles files;
  MetricsFile metrics(files, "C:\\m\\k.prom", "head\n");
  MetricsReadings readings;
  readings.cycles = 1;
  ASSERT_TRUE(metrics.Write(readings));
  EXPECT_EQ(files.Read("C:\\m\\k.prom"), metrics.Text());
  EXPECT_EQ(metrics.Text().rfind("head\n", 0), 0u);

  files.SetCapacity(metrics.Text().size() + 10);  // room for the new file only once the old one is gone
  readings.cycles = 2;
  EXPECT_FALSE(metrics.Write(readings));
  EXPECT_NE(files.Read("C:\\m\\k.prom").find("cycles_total 1\n"), std::string::npos);
  EXPECT_FALSE(files.Exists("C:\\m\\k.prom.tmp"));
}

}  // namespace
}  // namespace korvath
