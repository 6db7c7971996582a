// The main window's table of the cores the four slots do not show, and of
// the package sensors: where each of its controls goes, how far the window
// grows for it, and which core a resting cursor is over. Worked out in the
// dialog's units and turned into pixels with its base units, so that it
// lines up with the template's controls at any scaling. MainWindow creates
// the controls from it; nothing of it exists on four cores or fewer.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hw/CoreType.h"
#include "hw/CpuInfo.h"
#include "monitor/ExtraCoreControls.h"
#include "ui/LayoutScale.h"
#include "ui/WindowRect.h"

namespace korvath {

// Controls of the table that show no reading: the captions of its columns,
// the labels of the packages and the two group boxes.
inline constexpr int kMaxCoreGridColumns = 8;
inline constexpr int kCoreGridHeaderControlBase = 4800;  // 8 per column of rows
inline constexpr int kPackageGroupControl = 4870;
inline constexpr int kCoreGroupControlBase = 4871;  // one box per column of rows
inline constexpr int kPackageLabelControlBase = 4920;

constexpr int PackageLabelControlId(int package) { return kPackageLabelControlBase + package; }

// The dialog's units in pixels, as Windows maps a template: x by a quarter
// and y by an eighth of the font's base units.
inline int DialogUnitsX(const LayoutScale& scale, int units) { return ScaleLength(units, scale.baseUnitX, 4); }
inline int DialogUnitsY(const LayoutScale& scale, int units) { return ScaleLength(units, scale.baseUnitY, 8); }

struct CoreGridInput {
  int displayCoreCount = 0;  // the four slots and every further core
  // Per display core; empty, or all kUnknown, on processors without types.
  std::span<const CoreType> types;
  int packageCount = 0;  // packages with a sensor
  LayoutScale scale;
  // The most the client area may take on the window's screen.
  int maxClientWidth = 0;
  int maxClientHeight = 0;
};

struct CoreGridControl {
  enum class Kind { kGroupBox, kLabel, kValue };
  Kind kind = Kind::kValue;
  int id = 0;
  WindowRect rect;   // client pixels
  std::string text;  // captions and labels; values get theirs each cycle
};

struct CoreGridLayout {
  // Nothing to add: four cores or fewer keep the dialog exactly as it is.
  bool empty = true;
  std::vector<CoreGridControl> controls;
  int columns = 0;
  int rowsPerColumn = 0;
  // The client area the window grows to, and where the bottom buttons go.
  int clientWidth = 0;
  int clientHeight = 0;
  int buttonsTop = 0;
  // Even the widest arrangement that fits across is taller than the screen:
  // the window takes the screen's height and scrolls.
  bool scrolls = false;

  // The extra core and field of the value under a client point.
  struct Hit {
    int displayCore;
    CoreField field;
  };
  std::optional<Hit> ValueAt(int x, int y) const;
  // The rectangle of one of its controls, or an empty one.
  WindowRect RectOf(int controlId) const;
};

// The extra core and field a control id stands for; nothing for any other.
std::optional<CoreGridLayout::Hit> ExtraCoreControlAt(int controlId);

// "Core 4", or "Core 4 E" with the core's type on a hybrid processor.
std::string CoreLabel(int displayCore, CoreType type);

CoreGridLayout LayOutCoreGrid(const CoreGridInput& input);

}  // namespace korvath
