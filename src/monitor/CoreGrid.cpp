#include "monitor/CoreGrid.h"

#include <algorithm>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

// The template's own figures (dialog units): its bands are 200 wide at x 4,
// the last one ends at y 204, and the buttons sit 5 below it and 4 above the
// bottom edge.
constexpr int kBandLeft = 4;
constexpr int kBandWidth = 200;
constexpr int kColumnPitch = kBandWidth + 4;
constexpr int kTemplateWidth = 208;
constexpr int kBandsBottom = 204;
constexpr int kBandGap = 4;
constexpr int kButtonsBelowBand = 5;
constexpr int kButtonsToBottom = 18;

// A band's caption takes its first rows; readings go in rows of ten.
constexpr int kCaptionHeight = 11;
constexpr int kRowPitch = 10;
constexpr int kCellHeight = 9;
constexpr int kBandPadding = 3;

// One row per core: its label, then its seven readings in the order of the
// bands above, minimum and maximum each with its time.
struct Column {
  CoreField field;
  int offset;  // from the band's left edge
  int width;
  const char* header;
};
constexpr Column kColumns[] = {
    {CoreField::kLabel, 5, 36, "Core"},          {CoreField::kTemperature, 41, 16, "\xC2\xB0" "C"},
    {CoreField::kDistance, 57, 16, "TJ"},        {CoreField::kMinimum, 73, 22, "Min"},
    {CoreField::kMinimumTime, 95, 31, "at"},     {CoreField::kMaximum, 126, 22, "Max"},
    {CoreField::kMaximumTime, 148, 31, "at"},    {CoreField::kThermalStatus, 179, 20, "Status"},
};

// Packages three to a row: a label and the temperature.
constexpr int kPackagesPerRow = 3;
constexpr int kPackagePitch = 64;
constexpr int kPackageLabelWidth = 38;
constexpr int kPackageValueWidth = 24;

int RowsFor(int count, int perRow) { return (count + perRow - 1) / perRow; }

int CoreBandHeight(int rows) { return kCaptionHeight + kRowPitch + rows * kRowPitch + kBandPadding; }

// The arrangement's size in dialog units.
struct Extent {
  int width;
  int height;
};

Extent GridExtent(int coresBandTop, int columns, int rows) {
  int buttonsTop = coresBandTop + CoreBandHeight(rows) + kButtonsBelowBand;
  return {kTemplateWidth + (columns - 1) * kColumnPitch, buttonsTop + kButtonsToBottom};
}

}  // namespace

std::string CoreLabel(int displayCore, CoreType type) {
  if (type == CoreType::kUnknown) return Format("Core %d", displayCore);
  return Format("Core %d %s", displayCore, CoreTypeName(type));
}

CoreGridLayout LayOutCoreGrid(const CoreGridInput& input) {
  CoreGridLayout layout;
  int extraCores = input.displayCoreCount - kCoreSlots;
  if (extraCores <= 0) return layout;
  layout.empty = false;
  const LayoutScale& scale = input.scale;
  auto pixels = [&scale](int x, int y, int width, int height) {
    int left = DialogUnitsX(scale, x);
    int top = DialogUnitsY(scale, y);
    return WindowRect{left, top, left + DialogUnitsX(scale, width), top + DialogUnitsY(scale, height)};
  };

  int top = kBandsBottom + kBandGap;
  if (input.packageCount > 0) {
    int rows = RowsFor(input.packageCount, kPackagesPerRow);
    layout.controls.push_back({CoreGridControl::Kind::kGroupBox, kPackageGroupControl,
                               pixels(kBandLeft, top, kBandWidth, kCaptionHeight + rows * kRowPitch + kBandPadding),
                               "Package"});
    for (int package = 0; package < input.packageCount; ++package) {
      int x = kBandLeft + 5 + package % kPackagesPerRow * kPackagePitch;
      int y = top + kCaptionHeight + package / kPackagesPerRow * kRowPitch;
      layout.controls.push_back({CoreGridControl::Kind::kLabel, PackageLabelControlId(package),
                                 pixels(x, y, kPackageLabelWidth, kCellHeight), Format("Package %d", package)});
      layout.controls.push_back({CoreGridControl::Kind::kValue, PackageControlId(package),
                                 pixels(x + kPackageLabelWidth, y, kPackageValueWidth, kCellHeight), {}});
    }
    top += kCaptionHeight + rows * kRowPitch + kBandPadding + kBandGap;
  }

  // The fewest columns of rows that fit the screen; where none does, the
  // most that fit across, and the window scrolls.
  int columns = 1;
  int widest = 1;
  bool fits = false;
  for (int candidate = 1; candidate <= std::min(extraCores, kMaxCoreGridColumns); ++candidate) {
    Extent extent = GridExtent(top, candidate, RowsFor(extraCores, candidate));
    if (DialogUnitsX(scale, extent.width) > input.maxClientWidth) break;
    widest = candidate;
    if (DialogUnitsY(scale, extent.height) <= input.maxClientHeight) {
      columns = candidate;
      fits = true;
      break;
    }
  }
  if (!fits) columns = widest;
  int rows = RowsFor(extraCores, columns);
  layout.columns = columns;
  layout.rowsPerColumn = rows;
  layout.scrolls = !fits;

  for (int column = 0; column < columns; ++column) {
    int first = kCoreSlots + column * rows;
    int last = std::min(first + rows, input.displayCoreCount) - 1;
    if (first > last) break;
    int left = kBandLeft + column * kColumnPitch;
    std::string caption = first == last ? Format("Core %d", first) : Format("Cores %d-%d", first, last);
    layout.controls.push_back({CoreGridControl::Kind::kGroupBox, kCoreGroupControlBase + column,
                               pixels(left, top, kBandWidth, CoreBandHeight(last - first + 1)), caption});
    for (int index = 0; index < static_cast<int>(std::size(kColumns)); ++index) {
      const Column& cell = kColumns[index];
      layout.controls.push_back({CoreGridControl::Kind::kLabel,
                                 kCoreGridHeaderControlBase + column * kCoreFieldCount + index,
                                 pixels(left + cell.offset, top + kCaptionHeight, cell.width, kCellHeight),
                                 cell.header});
    }
    for (int core = first; core <= last; ++core) {
      int y = top + kCaptionHeight + kRowPitch + (core - first) * kRowPitch;
      CoreType type = static_cast<size_t>(core) < input.types.size() ? input.types[static_cast<size_t>(core)]
                                                                       : CoreType::kUnknown;
      for (const Column& cell : kColumns) {
        bool label = cell.field == CoreField::kLabel;
        layout.controls.push_back({label ? CoreGridControl::Kind::kLabel : CoreGridControl::Kind::kValue,
                                   ExtraCoreControlId(core, cell.field),
                                   pixels(left + cell.offset, y, cell.width, kCellHeight),
                                   label ? CoreLabel(core, type) : std::string()});
      }
    }
  }

  Extent extent = GridExtent(top, columns, rows);
  layout.clientWidth = DialogUnitsX(scale, extent.width);
  layout.clientHeight = DialogUnitsY(scale, extent.height);
  layout.buttonsTop = DialogUnitsY(scale, extent.height - kButtonsToBottom);
  return layout;
}

std::optional<CoreGridLayout::Hit> ExtraCoreControlAt(int controlId) {
  int offset = controlId - ExtraCoreControlId(kCoreSlots, CoreField::kTemperature);
  if (offset < 0) return std::nullopt;
  return CoreGridLayout::Hit{kCoreSlots + offset / kCoreFieldCount, static_cast<CoreField>(offset % kCoreFieldCount)};
}

std::optional<CoreGridLayout::Hit> CoreGridLayout::ValueAt(int x, int y) const {
  for (const CoreGridControl& control : controls) {
    if (control.kind != CoreGridControl::Kind::kValue) continue;
    const WindowRect& rect = control.rect;
    if (x < rect.left || x >= rect.right || y < rect.top || y >= rect.bottom) continue;
    return ExtraCoreControlAt(control.id);
  }
  return std::nullopt;
}

WindowRect CoreGridLayout::RectOf(int controlId) const {
  for (const CoreGridControl& control : controls) {
    if (control.id == controlId) return control.rect;
  }
  return {};
}

}  // namespace korvath
