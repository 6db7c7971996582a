#include "monitor/MiniCores.h"

#include <cstdio>

#include "hw/CpuInfo.h"
#include "monitor/CoreGrid.h"
#include "monitor/WindowPlacement.h"

namespace korvath {
namespace {

constexpr CoreType kTypesInOrder[] = {CoreType::kPerformance, CoreType::kEfficient, CoreType::kLowPowerEfficient};

// Four cells share the mini client's width less a margin of 6 pixels (at
// 96 DPI) each side: the mini client is measured in pixels, and where the
// dialog's font is wider than Tahoma's the dialog's units would reach past it.
// Rows are of 10 dialog units as in the core table.
constexpr int kCellMargin = 6;
constexpr int kRowPitch = 10;
constexpr int kCellHeight = 9;
constexpr int kStripPadding = 2;

bool Hybrid(std::span<const CoreType> types) {
  for (CoreType type : types) {
    if (type != CoreType::kUnknown) return true;
  }
  return false;
}

void Append(std::string& out, const char* text) { out += text; }

void AppendNumber(std::string& out, int value) {
  char digits[16];
  int length = std::snprintf(digits, sizeof digits, "%d", value);
  if (length > 0) out.append(digits, static_cast<size_t>(length));
}

void AppendCore(std::string& out, int core, CoreType type) {
  if (type != CoreType::kUnknown) {
    Append(out, CoreTypeName(type));
    Append(out, " ");
  }
  AppendNumber(out, core);
}

}  // namespace

MiniCells ChooseMiniCells(std::span<const CoreType> types, int packageCount) {
  MiniCells cells = {};
  int coreCount = static_cast<int>(types.size());
  int next = 0;
  if (coreCount <= kCoreSlots) return cells;
  if (coreCount <= kMiniEveryCoreLimit) {
    for (int core = kCoreSlots; core < coreCount; ++core) cells[next++] = {MiniCell::Kind::kCore, core};
    return cells;
  }
  if (!Hybrid(types)) {
    cells[next++] = {MiniCell::Kind::kHottestOfType, 0, CoreType::kUnknown};
  } else {
    for (CoreType type : kTypesInOrder) {
      for (CoreType present : types) {
        if (present != type) continue;
        cells[next++] = {MiniCell::Kind::kHottestOfType, 0, type};
        break;
      }
    }
  }
  for (int package = 0; package < packageCount && next < kMiniCells; ++package) {
    cells[next++] = {MiniCell::Kind::kPackage, package};
  }
  return cells;
}

int MiniCellCount(const MiniCells& cells) {
  int count = 0;
  for (const MiniCell& cell : cells) count += cell.kind != MiniCell::Kind::kNone ? 1 : 0;
  return count;
}

int HottestCoreOfType(std::span<const MiniCoreReading> cores, CoreType type) {
  int hottest = -1;
  for (int core = 0; core < static_cast<int>(cores.size()); ++core) {
    const MiniCoreReading& reading = cores[static_cast<size_t>(core)];
    if (!reading.present || !reading.hasReading) continue;
    if (type != CoreType::kUnknown && reading.type != type) continue;
    if (hottest < 0 || reading.temperature > cores[static_cast<size_t>(hottest)].temperature) hottest = core;
  }
  return hottest;
}

void MiniCellText(const MiniCell& cell, std::span<const MiniCoreReading> cores,
                  std::span<const std::optional<int>> packages, const std::string& degreeSuffix, std::string& out) {
  out.clear();
  std::optional<int> temperature;
  switch (cell.kind) {
    case MiniCell::Kind::kNone:
      return;
    case MiniCell::Kind::kCore:
    case MiniCell::Kind::kHottestOfType: {
      int core = cell.kind == MiniCell::Kind::kCore ? cell.index : HottestCoreOfType(cores, cell.type);
      if (core < 0 || core >= static_cast<int>(cores.size())) {
        // No core of the type has been read yet: the type alone.
        if (cell.type != CoreType::kUnknown) Append(out, CoreTypeName(cell.type));
        Append(out, out.empty() ? "--" : ": --");
        return;
      }
      const MiniCoreReading& reading = cores[static_cast<size_t>(core)];
      AppendCore(out, core, reading.type);
      if (reading.present && reading.hasReading) temperature = reading.temperature;
      break;
    }
    case MiniCell::Kind::kPackage:
      Append(out, "Package");
      if (packages.size() > 1) {
        Append(out, " ");
        AppendNumber(out, cell.index);
      }
      if (static_cast<size_t>(cell.index) < packages.size()) temperature = packages[static_cast<size_t>(cell.index)];
      break;
  }
  Append(out, ": ");
  if (!temperature) {
    Append(out, "--");
    return;
  }
  AppendNumber(out, *temperature);
  out += degreeSuffix;
}

MiniStripLayout LayOutMiniStrip(int cellCount, const LayoutScale& scale) {
  MiniStripLayout layout;
  if (cellCount <= 0) return layout;
  int top = MiniClientHeight(scale);
  int margin = scale.X(kCellMargin);
  int pitch = (MiniClientWidth(scale) - 2 * margin) / kMiniCellsPerRow;
  int rows = (cellCount + kMiniCellsPerRow - 1) / kMiniCellsPerRow;
  for (int cell = 0; cell < cellCount && cell < kMiniCells; ++cell) {
    int left = margin + cell % kMiniCellsPerRow * pitch;
    int y = top + DialogUnitsY(scale, cell / kMiniCellsPerRow * kRowPitch);
    layout.cells[static_cast<size_t>(cell)] = {left, y, left + pitch, y + DialogUnitsY(scale, kCellHeight)};
  }
  layout.height = DialogUnitsY(scale, rows * kRowPitch + kStripPadding);
  return layout;
}

}  // namespace korvath
