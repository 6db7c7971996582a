#include "monitor/CoreGrid.h"

#include <gtest/gtest.h>

#include <vector>

#include "monitor/MiniCores.h"
#include "monitor/WindowPlacement.h"

namespace korvath {
namespace {

// Tahoma 8 at 96 DPI: a dialog unit is 1.5 pixels across and 1.625 down.
constexpr LayoutScale k96Dpi = {};
// The same font at 144 DPI as Windows measures it.
constexpr LayoutScale k144Dpi = {9, 20, 6, 13};

std::vector<CoreType> Hybrid(int performance, int efficient) {
  std::vector<CoreType> types(static_cast<size_t>(performance), CoreType::kPerformance);
  types.insert(types.end(), static_cast<size_t>(efficient), CoreType::kEfficient);
  return types;
}

CoreGridInput Input(std::span<const CoreType> types, int packages, LayoutScale scale, int width, int height) {
  return {static_cast<int>(types.size()), types, packages, scale, width, height};
}

TEST(CoreGrid, FourCoresOrFewerAddNothing) {
  std::vector<CoreType> four(4, CoreType::kUnknown);
  CoreGridLayout layout = LayOutCoreGrid(Input(four, 1, k96Dpi, 1280, 984));
  EXPECT_TRUE(layout.empty);
  EXPECT_TRUE(layout.controls.empty());
  EXPECT_EQ(ChooseMiniCells(four, 1), MiniCells{});
}

// An i9-12900K on 1280 x 1024 at 100 %: the package, then one row per core
// 4-15 in a single column below the template's bands, the buttons below it.
TEST(CoreGrid, SixteenHybridCoresInOneColumnBelowTheBands) {
  std::vector<CoreType> types = Hybrid(8, 8);
  CoreGridLayout layout = LayOutCoreGrid(Input(types, 1, k96Dpi, 1272, 950));
  ASSERT_FALSE(layout.empty);
  EXPECT_EQ(layout.columns, 1);
  EXPECT_EQ(layout.rowsPerColumn, 12);
  EXPECT_FALSE(layout.scrolls);
  // Package band: box, label, value; core band: box, 8 captions, 12 rows of 8.
  EXPECT_EQ(layout.controls.size(), 3u + 1u + 8u + 96u);
  EXPECT_EQ(layout.clientWidth, 312);
  EXPECT_EQ(layout.buttonsTop, 626);
  EXPECT_EQ(layout.clientHeight, 655);
  EXPECT_EQ(layout.RectOf(ExtraCoreControlId(13, CoreField::kTemperature)), (WindowRect{68, 564, 92, 579}));
  EXPECT_EQ(layout.RectOf(ExtraCoreControlId(4, CoreField::kLabel)), (WindowRect{14, 418, 68, 433}));

  std::vector<std::string> texts;
  for (const CoreGridControl& control : layout.controls) {
    if (control.id == ExtraCoreControlId(13, CoreField::kLabel) || control.id == PackageLabelControlId(0) ||
        control.id == kCoreGroupControlBase || control.id == kPackageGroupControl) {
      texts.push_back(control.text);
    }
    // Every control lies inside the client area, above the buttons.
    EXPECT_LE(control.rect.right, layout.clientWidth) << control.id;
    EXPECT_LE(control.rect.bottom, layout.buttonsTop) << control.id;
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Package", "Package 0", "Cores 4-15", "Core 13 E"}));

  // The cursor over core 13's minimum time and over its label.
  WindowRect minimumTime = layout.RectOf(ExtraCoreControlId(13, CoreField::kMinimumTime));
  auto hit = layout.ValueAt(minimumTime.left, minimumTime.bottom - 1);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->displayCore, 13);
  EXPECT_EQ(hit->field, CoreField::kMinimumTime);
  // A pixel between the rows, then core 14's.
  EXPECT_FALSE(layout.ValueAt(minimumTime.left, minimumTime.bottom));
  auto below = layout.ValueAt(minimumTime.left, minimumTime.bottom + 1);
  ASSERT_TRUE(below);
  EXPECT_EQ(below->displayCore, 14);
  WindowRect label = layout.RectOf(ExtraCoreControlId(13, CoreField::kLabel));
  EXPECT_FALSE(layout.ValueAt(label.left + 2, label.top + 2));
}

// 32 cores fit one column at 100 %; a shorter screen takes a second column
// beside the first; one too narrow for two scrolls.
TEST(CoreGrid, ColumnsOnlyWhenOneIsTooTall) {
  std::vector<CoreType> types(32, CoreType::kUnknown);
  CoreGridLayout tall = LayOutCoreGrid(Input(types, 1, k96Dpi, 1272, 950));
  EXPECT_EQ(tall.columns, 1);
  EXPECT_EQ(tall.clientHeight, 915);
  EXPECT_EQ(tall.RectOf(ExtraCoreControlId(31, CoreField::kLabel)).bottom, 871);

  CoreGridLayout wide = LayOutCoreGrid(Input(types, 2, k96Dpi, 1272, 900));
  EXPECT_EQ(wide.columns, 2);
  EXPECT_EQ(wide.rowsPerColumn, 14);
  EXPECT_EQ(wide.clientWidth, 618);
  // Core 18 heads the second column, beside core 4.
  WindowRect first = wide.RectOf(ExtraCoreControlId(4, CoreField::kLabel));
  EXPECT_EQ(wide.RectOf(ExtraCoreControlId(18, CoreField::kLabel)),
            (WindowRect{first.left + 306, first.top, first.right + 306, first.bottom}));
  EXPECT_FALSE(wide.scrolls);

  CoreGridLayout scrolled = LayOutCoreGrid(Input(types, 2, k144Dpi, 1272, 950));
  EXPECT_TRUE(scrolled.scrolls);
  EXPECT_EQ(scrolled.columns, 2);
  EXPECT_GT(scrolled.clientHeight, 950);
  EXPECT_LE(scrolled.clientWidth, 1272);
}

TEST(MiniCores, EveryCoreUpToSixteenThenTheHottestOfEachType) {
  std::vector<CoreType> sixteen = Hybrid(8, 8);
  MiniCells cells = ChooseMiniCells(sixteen, 1);
  EXPECT_EQ(MiniCellCount(cells), 12);
  EXPECT_EQ(cells[9], (MiniCell{MiniCell::Kind::kCore, 13}));

  std::vector<CoreType> twentyFour = Hybrid(8, 16);
  cells = ChooseMiniCells(twentyFour, 1);
  EXPECT_EQ(MiniCellCount(cells), 3);
  EXPECT_EQ(cells[0], (MiniCell{MiniCell::Kind::kHottestOfType, 0, CoreType::kPerformance}));
  EXPECT_EQ(cells[1], (MiniCell{MiniCell::Kind::kHottestOfType, 0, CoreType::kEfficient}));
  EXPECT_EQ(cells[2], (MiniCell{MiniCell::Kind::kPackage, 0}));

  std::vector<CoreType> server(36, CoreType::kUnknown);
  cells = ChooseMiniCells(server, 2);
  EXPECT_EQ(MiniCellCount(cells), 3);
  EXPECT_EQ(cells[0], (MiniCell{MiniCell::Kind::kHottestOfType, 0, CoreType::kUnknown}));
  EXPECT_EQ(cells[2], (MiniCell{MiniCell::Kind::kPackage, 1}));
}

TEST(MiniCores, TextsNameTheCoreAndItsType) {
  std::vector<MiniCoreReading> cores(24, MiniCoreReading{true, true, CoreType::kPerformance, 40});
  for (int core = 8; core < 24; ++core) cores[static_cast<size_t>(core)].type = CoreType::kEfficient;
  cores[13].temperature = 55;
  cores[17].temperature = 55;  // a tie: the lower number wins
  cores[2].temperature = 61;
  cores[20].hasReading = false;
  cores[20].temperature = 90;  // never read: not the hottest
  std::vector<std::optional<int>> packages = {63, std::nullopt};
  std::string text;

  EXPECT_EQ(HottestCoreOfType(cores, CoreType::kEfficient), 13);
  EXPECT_EQ(HottestCoreOfType(cores, CoreType::kUnknown), 2);
  MiniCellText({MiniCell::Kind::kHottestOfType, 0, CoreType::kEfficient}, cores, packages, "\xC2\xB0" "C", text);
  EXPECT_EQ(text, "E 13: 55\xC2\xB0" "C");
  MiniCellText({MiniCell::Kind::kHottestOfType, 0, CoreType::kPerformance}, cores, packages, "\xC2\xB0" "C", text);
  EXPECT_EQ(text, "P 2: 61\xC2\xB0" "C");
  MiniCellText({MiniCell::Kind::kCore, 20}, cores, packages, "C", text);
  EXPECT_EQ(text, "E 20: --");
  MiniCellText({MiniCell::Kind::kPackage, 0}, cores, packages, "C", text);
  EXPECT_EQ(text, "Package 0: 63C");
  MiniCellText({MiniCell::Kind::kPackage, 1}, cores, packages, "C", text);
  EXPECT_EQ(text, "Package 1: --");
  MiniCellText({MiniCell::Kind::kPackage, 0}, cores, std::span(packages).first(1), "C", text);
  EXPECT_EQ(text, "Package: 63C");

  std::vector<MiniCoreReading> plain(6, MiniCoreReading{true, true, CoreType::kUnknown, 47});
  MiniCellText({MiniCell::Kind::kCore, 5}, plain, {}, "C", text);
  EXPECT_EQ(text, "5: 47C");
  std::vector<MiniCoreReading> unread(6, MiniCoreReading{true, false, CoreType::kEfficient, 0});
  MiniCellText({MiniCell::Kind::kHottestOfType, 0, CoreType::kEfficient}, unread, {}, "C", text);
  EXPECT_EQ(text, "E: --");
}

// The strip lies below the mini client's 118 rows and makes the mini
// window that much taller.
TEST(MiniCores, StripBelowTheMiniClient) {
  MiniStripLayout strip = LayOutMiniStrip(12, k96Dpi);
  EXPECT_EQ(strip.height, 52);
  EXPECT_EQ(strip.cells[0], (WindowRect{6, 118, 81, 133}));
  EXPECT_EQ(strip.cells[9], (WindowRect{81, 151, 156, 166}));
  EXPECT_EQ(LayOutMiniStrip(0, k96Dpi).height, 0);

  MiniLayout mini = LayOutMiniWindow({100, 100, 418, 478}, 304, 162, k96Dpi, strip.height);
  EXPECT_EQ(mini.miniRect.Height(), 118 + 52 + 8);
  EXPECT_EQ(mini.limits.maxHeight, 118 + 52 + 8 + 250);
}

}  // namespace
}  // namespace korvath
