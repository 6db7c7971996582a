// The main window's pixel figures (mini size, hover bands, display font) are
// those of its dialog at 96 DPI. At any other scaling they grow as the dialog's
// own layout grew: by its font's base units now against the same font's base
// units at 96 DPI, so that they keep lying over the same controls (a dialog's
// text, and so its layout, does not grow exactly by DPI / 96).
#pragma once

#include "platform/ScaleLength.h"

namespace korvath {

// The base units of the dialog's font at 96 DPI on Windows' own Tahoma.
inline constexpr int kReferenceBaseUnitX = 6;
inline constexpr int kReferenceBaseUnitY = 13;

// The dialog's horizontal and vertical base units in pixels, now and at 96 DPI.
struct LayoutScale {
  int baseUnitX = kReferenceBaseUnitX;
  int baseUnitY = kReferenceBaseUnitY;
  int referenceX = kReferenceBaseUnitX;
  int referenceY = kReferenceBaseUnitY;

  constexpr int X(int pixelsAt96Dpi) const { return ScaleLength(pixelsAt96Dpi, baseUnitX, referenceX); }
  constexpr int Y(int pixelsAt96Dpi) const { return ScaleLength(pixelsAt96Dpi, baseUnitY, referenceY); }
  bool operator==(const LayoutScale&) const = default;
};

}  // namespace korvath
