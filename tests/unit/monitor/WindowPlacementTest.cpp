#include "monitor/WindowPlacement.h"

#include <gtest/gtest.h>

#include "monitor/ControlColours.h"
#include "resources/resource.h"

namespace korvath {
namespace {

// A frame as a themed desktop draws it: 8 pixels each side, 31 above.
constexpr int kClientWidthAfterSizing = kMiniClientWidth - 16;
constexpr int kClientHeightAfterSizing = kMiniClientHeight - 39;

TEST(WindowPlacement, AnchorRoundTripsThroughTheSetting) {
  uint32_t packed = PackPosition({-20, 5});
  EXPECT_EQ(packed, 537206764u);
  EXPECT_EQ(AnchorFromSetting(packed), (WindowRect{-20, 5, -20, 5}));
  EXPECT_EQ(AnchorFromSetting(0), WindowRect{});
  EXPECT_FALSE(AnchorWorthSaving(AnchorFromSetting(0)));
  // An anchor at the origin whose window had a size still counts as set.
  EXPECT_TRUE(AnchorWorthSaving({0, 0, 318, 378}));
}

TEST(WindowPlacement, AnchorMessageTellsASecondSetFromAMove) {
  EXPECT_EQ(AnchorMessage({0, 0}, {100, 40}), "Previous Position\n( 0, 0 )\n\nNew Position\n( 100, 40 )\n");
  // A second Shift + right double-click without moving.
  EXPECT_EQ(AnchorMessage({100, 40}, {100, 40}), "Current Position\n( 100, 40 )\n");
  EXPECT_EQ(AnchorMessage({-20, 5}, {-20, 5}), "Current Position\n( -20, 5 )\n");
}

TEST(WindowPlacement, MiniWindowHasAnExactClientAreaAndIsCentred) {
  WindowRect full{100, 200, 418, 578};
  MiniLayout layout = LayOutMiniWindow(full, kClientWidthAfterSizing, kClientHeightAfterSizing);
  EXPECT_EQ(layout.miniRect.Width(), kMiniClientWidth + 16);
  EXPECT_EQ(layout.miniRect.Height(), kMiniClientHeight + 39);
  // A tall frame lifts the window by 5 and allows one more pixel.
  EXPECT_EQ(layout.miniRect.top, 195);
  EXPECT_EQ((layout.miniRect.left + layout.miniRect.right) / 2, (full.left + full.right) / 2);
  EXPECT_EQ(layout.limits.width, 328);
  EXPECT_EQ(layout.limits.minHeight, 157);
  EXPECT_EQ(layout.limits.maxHeight, 157 + 250 + 1);

  // A thin frame keeps the top and adds nothing.
  MiniLayout thin = LayOutMiniWindow(full, kMiniClientWidth - 6, kMiniClientHeight - 6);
  EXPECT_EQ(thin.miniRect.top, 200);
  EXPECT_EQ(thin.limits.maxHeight, thin.limits.minHeight + 250);
}

TEST(WindowPlacement, MiniWindowAboveTheScreenComesDownToYFour) {
  WindowRect full{100, -200, 418, 178};
  MiniLayout layout = LayOutMiniWindow(full, kClientWidthAfterSizing, kClientHeightAfterSizing);
  EXPECT_EQ(layout.miniRect.bottom, 4);
  EXPECT_EQ(layout.miniRect.Height(), 157);
  // The limits are those of the window, wherever it ends up.
  EXPECT_EQ(layout.limits.minHeight, 157);
}

TEST(WindowPlacement, LeavingTakesTheFullWindowWhereTheMiniOneWasDragged) {
  WindowRect full{100, 200, 418, 578};
  MiniLayout layout = LayOutMiniWindow(full, kClientWidthAfterSizing, kClientHeightAfterSizing);
  WindowRect dragged{layout.miniRect.left + 100, layout.miniRect.top, layout.miniRect.right + 100,
                     layout.miniRect.bottom};
  EXPECT_EQ(RestoreFullWindow(full, layout.miniRect, dragged), (WindowRect{200, 200, 518, 578}));
  EXPECT_EQ(RestoreFullWindow(full, layout.miniRect, layout.miniRect), full);

  // Dragged off the left edge, the full window keeps 10 pixels on screen.
  WindowRect offLeft{-900, layout.miniRect.top, -900 + layout.miniRect.Width(), layout.miniRect.bottom};
  WindowRect restored = RestoreFullWindow(full, layout.miniRect, offLeft);
  EXPECT_EQ(restored.right, 10);
  EXPECT_EQ(restored.Width(), full.Width());
}

TEST(WindowPlacement, MiniStyleAndTrackLimits) {
  // WS_OVERLAPPEDWINDOW | WS_VISIBLE loses caption, menu and boxes, keeps the sizing border.
  EXPECT_EQ(MiniModeStyle(0x10CF0000u), 0x10040000u);
  TrackLimits track = MiniTrackLimits({328, 157, 408});
  EXPECT_EQ(track.minTrackWidth, 328);
  EXPECT_EQ(track.maxTrackWidth, 328);
  EXPECT_EQ(track.maxSizeWidth, 328);
  EXPECT_EQ(track.minTrackHeight, 157);
  EXPECT_EQ(track.maxTrackHeight, 408);
  EXPECT_EQ(track.maxSizeHeight, 408);
}

// Dialog 102's rows in dialog units, as Windows maps them at a scale.
int RowPixels(int dialogUnits, const LayoutScale& scale) { return ScaleLength(dialogUnits, scale.baseUnitY, 8); }
int ColumnPixels(int dialogUnits, const LayoutScale& scale) { return ScaleLength(dialogUnits, scale.baseUnitX, 4); }

// The dialog font's base units at 100, 125, 150 and 200 %: text does not
// grow exactly with the DPI, so neither does the layout.
constexpr LayoutScale kScalings[] = {{6, 13}, {7, 16}, {9, 19}, {11, 26}};

TEST(WindowPlacement, EveryScalingShowsWhatOneHundredPercentShows) {
  EXPECT_EQ(MiniClientWidth({}), 312);
  EXPECT_EQ(MiniClientHeight({}), 118);
  for (const LayoutScale& scale : kScalings) {
    SCOPED_TRACE(testing::Message() << scale.baseUnitX << " x " << scale.baseUnitY);
    // The mini window is as wide as the dialog and shows the whole Temperature row.
    EXPECT_EQ(MiniClientWidth(scale), ColumnPixels(208, scale));
    EXPECT_GE(MiniClientHeight(scale), RowPixels(43 + 26, scale));
    EXPECT_LT(MiniClientHeight(scale), RowPixels(73 + 26, scale));  // not the Distance row's values

    int frame = scale.Y(39);
    MiniLayout layout = LayOutMiniWindow({100, 200, 900, 1000}, MiniClientWidth(scale) - scale.X(16),
                                         MiniClientHeight(scale) - frame, scale);
    EXPECT_EQ(layout.miniRect.Height(), MiniClientHeight(scale) + frame);
    EXPECT_EQ(layout.miniRect.top, 200 - scale.Y(5));
    EXPECT_EQ(layout.limits.maxHeight - layout.limits.minHeight, scale.Y(250) + 1);

    // Each band lies on its own panel and nowhere near the next one.
    int minimumTop = RowPixels(103, scale), maximumTop = RowPixels(142, scale), statusTop = RowPixels(181, scale);
    EXPECT_EQ(HoverBandAt(minimumTop - 1, scale), HoverBand::kNone);
    EXPECT_EQ(HoverBandAt(scale.Y(200), scale), HoverBand::kMinimum);
    EXPECT_EQ(HoverBandAt(maximumTop, scale), HoverBand::kNone);
    EXPECT_EQ(HoverBandAt(scale.Y(265), scale), HoverBand::kMaximum);
    EXPECT_EQ(HoverBandAt(statusTop, scale), HoverBand::kNone);

    // The GPU field covers the signature edit's middle, not the load beside it.
    int signatureMiddleY = RowPixels(30, scale);
    EXPECT_TRUE(InGpuField(ColumnPixels(38, scale), signatureMiddleY, scale));
    EXPECT_FALSE(InGpuField(ColumnPixels(80, scale), signatureMiddleY, scale));
    EXPECT_FALSE(InGpuField(ColumnPixels(38, scale), RowPixels(55, scale), scale));

    // Each core's column is found over the middle of its edits, none between them.
    int width = ColumnPixels(208, scale);
    const int middles[kCoreSlots] = {30, 79, 128, 177};
    for (int core = 0; core < kCoreSlots; ++core) {
      EXPECT_EQ(HoverColumn(ColumnPixels(middles[core], scale), width, scale), core);
    }
    EXPECT_EQ(HoverColumn(width / 2, width, scale), -1);
  }
}

TEST(WindowPlacement, SavedPositionsOnlyWhereAScreenShowsThem) {
  WorkAreaTest primary = [](ScreenPoint p) { return p.x >= 0 && p.x < 1280 && p.y >= 0 && p.y < 984; };
  EXPECT_TRUE(SavedPositionOnScreen({100, 50}, primary));
  EXPECT_TRUE(SavedPositionOnScreen({0, -1}, primary));  // how (0, 0) is stored
  EXPECT_FALSE(SavedPositionOnScreen({3000, 50}, primary));
  EXPECT_FALSE(SavedPositionOnScreen({-1, 5}, primary));

  // Leaving mini mode towards a spot off screen opens where the mini window is.
  WindowRect full{-2000, 100, -1682, 478};
  WindowRect mini{40, 60, 368, 217};
  EXPECT_EQ(KeepOnScreen(full, mini, primary), (WindowRect{40, 60, 358, 438}));
  EXPECT_EQ(KeepOnScreen({40, 60, 358, 438}, {-5000, 0, 0, 0}, primary), (WindowRect{40, 60, 358, 438}));
}

TEST(HoverReport, ColumnsLeaveGapsBetweenCores) {
  constexpr int w = 312;
  constexpr int m = w / 2;
  EXPECT_EQ(HoverColumn(m, w), -1);
  EXPECT_EQ(HoverColumn(6, w), -1);
  EXPECT_EQ(HoverColumn(7, w), 0);
  EXPECT_EQ(HoverColumn(77, w), 0);
  EXPECT_EQ(HoverColumn(80, w), -1);
  EXPECT_EQ(HoverColumn(83, w), 1);
  EXPECT_EQ(HoverColumn(153, w), 1);
  EXPECT_EQ(HoverColumn(159, w), 2);
  // Column 3 overlaps column 2's range and wins there.
  EXPECT_EQ(HoverColumn(232, w), 2);
  EXPECT_EQ(HoverColumn(233, w), 3);
  EXPECT_EQ(HoverColumn(w - 7, w), -1);
}

TEST(HoverReport, BandsAndGpuField) {
  EXPECT_EQ(HoverBandAt(175), HoverBand::kNone);
  EXPECT_EQ(HoverBandAt(176), HoverBand::kMinimum);
  EXPECT_EQ(HoverBandAt(225), HoverBand::kMinimum);
  EXPECT_EQ(HoverBandAt(230), HoverBand::kNone);
  EXPECT_EQ(HoverBandAt(240), HoverBand::kMaximum);
  EXPECT_EQ(HoverBandAt(290), HoverBand::kNone);
  EXPECT_TRUE(InGpuField(10, 37));
  EXPECT_TRUE(InGpuField(95, 66));
  EXPECT_FALSE(InGpuField(96, 50));
  EXPECT_FALSE(InGpuField(50, 67));
}

TEST(HoverReport, Texts) {
  std::tm minTime{};
  minTime.tm_mon = 11;
  minTime.tm_mday = 7;
  minTime.tm_hour = 9;
  minTime.tm_min = 5;
  minTime.tm_sec = 3;
  std::tm maxTime = minTime;
  maxTime.tm_mon = 0;
  maxTime.tm_mday = 12;
  maxTime.tm_hour = 23;
  EXPECT_EQ(GpuReportText(41, minTime, 67, maxTime, "\xC2\xB0" "C"),
            "Minimum  41\xC2\xB0" "C\nDec 07    09:05:03\n\nMaximum  67\xC2\xB0" "C\nJan 12    23:05:03\n");
  EXPECT_EQ(HoverDateText(minTime), "Dec 07");
}

TEST(HoverReport, OnlyPresentCoresInABandReport) {
  TemperatureStats stats;
  stats.minTime[0].tm_mon = 2;
  stats.minTime[0].tm_mday = 9;
  stats.maxTime[1].tm_mon = 10;
  stats.maxTime[1].tm_mday = 30;
  bool twoCores[kCoreSlots] = {true, true, false, false};
  EXPECT_EQ(CoreHoverText(40, 200, 312, stats, twoCores), "Mar 09");
  EXPECT_EQ(CoreHoverText(100, 260, 312, stats, twoCores), "Nov 30");
  EXPECT_EQ(CoreHoverText(156, 200, 312, stats, twoCores), std::nullopt);
  EXPECT_EQ(CoreHoverText(260, 260, 312, stats, twoCores), std::nullopt);
  EXPECT_EQ(CoreHoverText(40, 230, 312, stats, twoCores), std::nullopt);
}

TEST(ControlColours, EachModeHasItsOwnSwitch) {
  AppSettings settings;
  settings.customGui = 0;
  settings.customGuiMini = 1;
  settings.guiMiniColor = 0x102030;
  settings.guiMiniText = 0x405060;
  ThermalSample samples[kCoreSlots] = {};

  ControlColours normal = ChooseControlColours(settings, false, IDC_SETTINGS, samples);
  EXPECT_EQ(normal.brush, BackgroundBrush::kDialogDefault);
  EXPECT_FALSE(normal.background);
  EXPECT_FALSE(normal.text);

  ControlColours mini = ChooseControlColours(settings, true, IDC_SETTINGS, samples);
  EXPECT_EQ(mini.brush, BackgroundBrush::kMini);
  EXPECT_EQ(mini.background, 0x102030u);
  EXPECT_EQ(mini.text, 0x405060u);
}

TEST(ControlColours, ThermalStatusFieldsTurnRed) {
  AppSettings settings;
  settings.customGui = 1;
  settings.guiText = 0x00FF00;
  ThermalSample samples[kCoreSlots] = {};
  samples[1].hotLogged = true;
  samples[2].hotLogged = true;
  samples[2].hotNow = true;
  samples[3].hotNow = true;  // hot now but never logged: the flag alone decides nothing

  EXPECT_EQ(ChooseControlColours(settings, false, IDC_THERMAL_STATUS0, samples).text, 0x00FF00u);
  EXPECT_EQ(ChooseControlColours(settings, false, IDC_THERMAL_STATUS1, samples).text, kHotLoggedColour);
  EXPECT_EQ(ChooseControlColours(settings, false, IDC_THERMAL_STATUS2, samples).text, kHotNowColour);
  EXPECT_EQ(ChooseControlColours(settings, false, IDC_THERMAL_STATUS3, samples).text, 0x00FF00u);
  // Dark red without any custom colours, and the brush stays the dialog's.
  settings.customGui = 0;
  ControlColours plain = ChooseControlColours(settings, false, IDC_THERMAL_STATUS1, samples);
  EXPECT_EQ(plain.text, kHotLoggedColour);
  EXPECT_EQ(plain.brush, BackgroundBrush::kDialogDefault);
}

}  // namespace
}  // namespace korvath
