#include "history/HistoryChart.h"

#include <gtest/gtest.h>

#include <array>

#include "config/IniProfileStore.h"
#include "config/ScratchFile.h"
#include "history/HistoryCsv.h"
#include "history/HistoryLegend.h"
#include "history/HistoryPalette.h"
#include "history/HistoryPlace.h"
#include "history/HistoryTime.h"

namespace korvath {
namespace {

constexpr int64_t kT0 = 1'765'000'020;  // 2025-12-06 05:47:00 UTC, a whole minute

HistoryStore CoresAndLoad() {
  return HistoryStore({{"Core 0", SeriesKind::kCore}, {"Core 1", SeriesKind::kCore}, {"Load", SeriesKind::kLoad}});
}

TEST(HistoryAxes, ValueAxisRoundsOutToTheFirstStepThatFits) {
  // 41.5..68 on 300 pixels with ticks 20 apart: 2-degree steps, 40..68.
  EXPECT_EQ(ChooseValueAxis(415, 680, 300, 20), (ValueAxis{40, 68, 2}));
  // The same on 60 pixels: 40..70 in 10s.
  EXPECT_EQ(ChooseValueAxis(415, 680, 60, 20), (ValueAxis{40, 70, 10}));
  // A flat line still spans a step; no data gives 20..100.
  EXPECT_EQ(ChooseValueAxis(450, 450, 300, 20), (ValueAxis{45, 46, 1}));
  EXPECT_EQ(ChooseValueAxis(1, 0, 400, 20), (ValueAxis{20, 100, 5}));
  // Below zero the low end still rounds down.
  EXPECT_EQ(ChooseValueAxis(-15, 20, 300, 20), (ValueAxis{-2, 2, 1}));
  EXPECT_EQ(ChooseTimeStep(600, 600, 60), 60);
  EXPECT_EQ(ChooseTimeStep(3600, 600, 60), 600);
  EXPECT_EQ(ChooseTimeStep(86400, 600, 60), 10800);
}

TEST(HistoryAxes, LocalTimeFromTheOffsetOfTheLocalClock) {
  std::tm local = {};
  local.tm_year = 2025 - 1900;
  local.tm_mon = 11;
  local.tm_mday = 6;
  local.tm_hour = 6;
  local.tm_min = 47;
  EXPECT_EQ(LocalOffsetSeconds(local, kT0), 3600);
  EXPECT_EQ(StampText(kT0 + 9, 3600), "2025-12-06 06:47:09");
  EXPECT_EQ(ClockText(kT0, -6 * 3600, false), "23:47");
  EXPECT_EQ(StampText(951'782'400, 0), "2000-02-29 00:00:00");
}

// Ten minutes of two cores at 96 DPI: a plot 599 pixels wide has one column
// per second, the second core misses a reading, the load sits in the band.
// Two seconds without a cycle leave the lines whole, ten split them.
TEST(HistoryChart, PlacesEachSecondAndSplitsLinesAtGaps) {
  HistoryStore store = CoresAndLoad();
  for (int i = 0; i < 600; ++i) {
    if (i == 100 || i == 101 || (i >= 200 && i < 210)) continue;
    std::array<int16_t, 3> values = {static_cast<int16_t>(400 + i % 10 * 10),
                                     static_cast<int16_t>(i == 300 ? kHistoryGap : 500), 250};
    store.Record(kT0 + i, values);
  }
  HistoryChart chart(store);
  const std::vector<bool> shown = {true, true, true};
  chart.Prepare(HistoryRange::kTenMinutes, shown, {40, 10, 639, 310}, 20, 100, 105);
  EXPECT_EQ(chart.start(), kT0);
  EXPECT_EQ(chart.axis(), (ValueAxis{40, 105, 5}));  // the alarm and TjMax stay on the axis
  EXPECT_EQ(chart.XOfStep(599), 639);
  EXPECT_EQ(chart.YOfTemperature(400), 310);
  EXPECT_EQ(chart.YOfTemperature(1050), 10);
  EXPECT_EQ(chart.YOfLoad(1000), 235);
  EXPECT_EQ(chart.StepAt(340), 300);

  ChartLine line;
  chart.BuildLine(1, line);
  EXPECT_EQ(line.runs, (std::vector<int>{198, 90, 299}));
  chart.BuildLine(2, line);
  ASSERT_EQ(line.runs, (std::vector<int>{198, 390}));
  EXPECT_EQ(line.points[0], (ChartPoint{40, 291}));

  EXPECT_EQ(chart.ReadoutAt(340, shown, "\xC2\xB0" "C", 3600),
            "06:52:00\nCore 0  40\xC2\xB0" "C\nCore 1  --\nLoad  25.0%");
  std::vector<TimeTick> ticks = chart.TimeTicks(59, 3600);
  ASSERT_EQ(ticks.size(), 10u);
  EXPECT_EQ(ticks[0].x, 40);
  EXPECT_EQ(ticks[1].time, kT0 + 60);
}

// An hour on 300 pixels: twelve seconds a column, each column its lowest and
// highest point in the order they came; the core band runs over both cores.
TEST(HistoryChart, CrowdedColumnsKeepTheirExtremesAndTheBandSpansAllCores) {
  HistoryStore store = CoresAndLoad();
  for (int i = 0; i < 3600; ++i) {
    std::array<int16_t, 3> values = {static_cast<int16_t>(i % 12 == 5 ? 900 : 400), 600, kHistoryGap};
    store.Record(kT0 + i, values);
  }
  HistoryChart chart(store);
  const std::vector<bool> shown = {true, false, false};
  chart.Prepare(HistoryRange::kHour, shown, {0, 0, 300, 100}, 20, 0, 0);
  EXPECT_EQ(chart.axis(), (ValueAxis{40, 90, 10}));
  ChartLine line;
  chart.BuildLine(0, line);
  ASSERT_EQ(line.runs.size(), 1u);
  EXPECT_LE(line.points.size(), 2u * 301);
  EXPECT_EQ(line.points[0], (ChartPoint{0, 100}));
  EXPECT_EQ(line.points[1], (ChartPoint{0, 0}));
  chart.BuildLine(2, line);
  EXPECT_TRUE(line.runs.empty());
  ChartLine band;
  chart.BuildCoreBand(band);
  ASSERT_EQ(band.runs, (std::vector<int>{7200}));
  EXPECT_EQ(band.points[0], (ChartPoint{0, 60}));     // the higher core first
  EXPECT_EQ(band.points[7199], (ChartPoint{0, 100}));  // back along the lower
}

TEST(HistoryCsv, WritesTheShownSeriesOfEveryRecordedStep) {
  HistoryStore store = CoresAndLoad();
  std::array<int16_t, 3> first = {450, kHistoryGap, 125};
  std::array<int16_t, 3> second = {460, 500, 1000};
  store.Record(kT0, first);
  store.Record(kT0 + 2, second);  // kT0 + 1 was missed
  HistoryChart chart(store);
  const std::vector<bool> shown = {true, true, true};
  chart.Prepare(HistoryRange::kTenMinutes, shown, {0, 0, 600, 300}, 20, 0, 0);
  EXPECT_EQ(HistoryCsvText(chart, store, shown, 0),
            "Time,Core 0,Core 1,Load\r\n"
            "2025-12-06 05:47:00,45,,12.5\r\n"
            "2025-12-06 05:47:02,46,50,100.0\r\n");
  const std::vector<bool> coreOnly = {false, true, false};
  chart.Prepare(HistoryRange::kDay, coreOnly, {0, 0, 600, 300}, 20, 0, 0);
  EXPECT_EQ(HistoryCsvText(chart, store, coreOnly, 0), "Time,Core 1\r\n2025-12-06 05:47:00,50\r\n");
}

TEST(HistoryPalette, CoresStayApartAndHybridTypesKeepTheirHues) {
  EXPECT_EQ(ColourFromHsv(0, 100, 100), 0x0000FFu);
  EXPECT_EQ(ColourFromHsv(240, 100, 100), 0xFF0000u);
  std::vector<HistorySeries> cores;
  for (int i = 0; i < 32; ++i) cores.push_back({"Core", SeriesKind::kCore});
  std::vector<uint32_t> colours;
  for (size_t i = 0; i < cores.size(); ++i) colours.push_back(SeriesColour(cores, i));
  std::sort(colours.begin(), colours.end());
  EXPECT_EQ(std::unique(colours.begin(), colours.end()), colours.end());
  std::vector<HistorySeries> hybrid = {{"P", SeriesKind::kCore, CoreType::kPerformance},
                                       {"E", SeriesKind::kCore, CoreType::kEfficient},
                                       {"Package", SeriesKind::kPackage}};
  EXPECT_EQ(SeriesColour(hybrid, 0), ColourFromHsv(330, 90, 85));
  EXPECT_EQ(SeriesColour(hybrid, 1), ColourFromHsv(170, 90, 85));
  EXPECT_EQ(SeriesColour(hybrid, 2), kPackageColour);
}

// Sixteen hybrid cores: the hottest of each type, the band, the GPU and the
// load open shown; a click on a core's entry brings it in.
TEST(HistoryLegend, ManyCoresOpenWithTheHottestOfEachTypeAndTheBand) {
  std::vector<HistorySeries> series;
  for (int i = 0; i < 16; ++i) {
    series.push_back({"Core", SeriesKind::kCore, i < 8 ? CoreType::kPerformance : CoreType::kEfficient});
  }
  series.push_back({"GPU", SeriesKind::kGpu});
  HistoryStore store(series);
  std::vector<int16_t> values(17, 500);
  values[3] = 700;
  values[12] = 650;
  store.Record(kT0, values);
  LegendState legend = InitialLegend(store);
  std::vector<bool> expected(17, false);
  expected[3] = expected[12] = expected[16] = true;
  EXPECT_EQ(legend.shown, expected);
  EXPECT_TRUE(legend.bandShown);
  EXPECT_EQ(legend.EntryCount(), 18u);
  legend.Toggle(5);
  legend.Toggle(17);
  EXPECT_TRUE(legend.shown[5]);
  EXPECT_FALSE(legend.bandShown);
  // Up to eight cores every line shows and no band is offered.
  EXPECT_EQ(InitialLegend(CoresAndLoad()).shown, (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(InitialLegend(CoresAndLoad()).bandOffered);
}

// The place is held to the main window's rule: used wherever a 32 x 32
// square of the title bar lies on a work area, a left edge off the screen
// included.
TEST(HistoryPlace, UsedWhereTheTitleBarCanBeTakenHoldOfAndWrittenBack) {
  testing::ScratchFile file;
  file.Write("[Korvath]\nHistoryXY=553656520\nHistorySize=26214800\nHistoryRange=1440\n");
  IniProfileStore store(file.path(), "Korvath");
  const std::vector<WindowRect> screen = {{0, 0, 1280, 1024}};
  // (200, 256) and 400 x 400, read back as they were written.
  HistoryPlace place = ReadHistoryPlace(store, 300, 200, screen);
  EXPECT_EQ(place.range, HistoryRange::kDay);
  ASSERT_TRUE(place.rect.has_value());
  EXPECT_EQ(*place.rect, (WindowRect{200, 256, 600, 656}));
  EXPECT_EQ(ReadHistoryPlace(store, 500, 200, screen).rect->Width(), 500);
  // A work area that ends 31 pixels into the window leaves nothing to take
  // hold of; 32 pixels are enough.
  EXPECT_FALSE(ReadHistoryPlace(store, 300, 200, std::vector<WindowRect>{{0, 0, 231, 1024}}).rect.has_value());
  EXPECT_TRUE(ReadHistoryPlace(store, 300, 200, std::vector<WindowRect>{{0, 0, 232, 1024}}).rect.has_value());
  EXPECT_FALSE(ReadHistoryPlace(store, 300, 200, std::vector<WindowRect>{}).rect.has_value());

  WriteHistoryPlace(store, {-20, 5, 620, 485}, HistoryRange::kHour);
  place = ReadHistoryPlace(store, 300, 200, screen);
  ASSERT_TRUE(place.rect.has_value());
  EXPECT_EQ(*place.rect, (WindowRect{-20, 5, 620, 485}));
  EXPECT_EQ(place.range, HistoryRange::kHour);
  // Its title bar wholly under a task bar at the top: not used.
  EXPECT_FALSE(ReadHistoryPlace(store, 300, 200, std::vector<WindowRect>{{0, 40, 1280, 1024}}).rect.has_value());
  file.Write("[Korvath]\nHistoryRange=7\n");
  EXPECT_EQ(ReadHistoryPlace(store, 300, 200, screen).range, HistoryRange::kTenMinutes);
}

}  // namespace
}  // namespace korvath
