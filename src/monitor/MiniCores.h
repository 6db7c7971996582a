// Mini mode's temperatures beyond the four slots: a strip of cells just
// below the part of the window that mini mode shows, made visible while mini
// mode lasts. Up to 16 cores every further core has a cell; beyond that the
// hottest core of each type and the packages have one, so that the strip
// stays one glance wide on any processor.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "hw/CoreType.h"
#include "ui/LayoutScale.h"
#include "ui/WindowRect.h"

namespace korvath {

inline constexpr int kMiniCellControlBase = 4960;
inline constexpr int kMiniCells = 12;
inline constexpr int kMiniCellsPerRow = 4;
// Up to this many cores mini mode shows each one.
inline constexpr int kMiniEveryCoreLimit = 16;

constexpr int MiniCellControlId(int cell) { return kMiniCellControlBase + cell; }

// What a cell shows: a core by its display number, or a package.
struct MiniCell {
  enum class Kind { kNone, kCore, kHottestOfType, kPackage };
  Kind kind = Kind::kNone;
  int index = 0;        // the core, or the package
  CoreType type = CoreType::kUnknown;  // kHottestOfType: the type it stands for
  bool operator==(const MiniCell&) const = default;
};
using MiniCells = std::array<MiniCell, kMiniCells>;

// The cells of a processor with these cores (display order, the four slots
// first) and package sensors; fixed for the run.
MiniCells ChooseMiniCells(std::span<const CoreType> types, int packageCount);
int MiniCellCount(const MiniCells& cells);

// One core's reading as the cells need it.
struct MiniCoreReading {
  bool present = false;
  bool hasReading = false;
  CoreType type = CoreType::kUnknown;
  int temperature = 0;
};

// The display number of the hottest read core of the type (any type for
// kUnknown on a processor without types); the lowest number wins a tie; -1
// when none has a reading.
int HottestCoreOfType(std::span<const MiniCoreReading> cores, CoreType type);

// A cell's text: "13: 45°C", "E 13: 45°C" on a hybrid processor, "Package:
// 52°C" ("Package 1: 50°C" where there are several); "--" before a reading.
// Written into `out`, whose capacity is reused from cycle to cycle.
void MiniCellText(const MiniCell& cell, std::span<const MiniCoreReading> cores,
                  std::span<const std::optional<int>> packages, const std::string& degreeSuffix, std::string& out);

// The cells' rectangles (client pixels) below the mini client's top part,
// four to a row, and the height the strip adds to the mini window.
struct MiniStripLayout {
  std::array<WindowRect, kMiniCells> cells = {};
  int height = 0;
};
MiniStripLayout LayOutMiniStrip(int cellCount, const LayoutScale& scale);

}  // namespace korvath
