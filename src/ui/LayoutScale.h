// The main window's pixel figures (mini size, hover bands, display font) are
// those of its dialog at 96 DPI. At any other scaling they grow as the dialog's
// own layout grew: by its font's base units now against the same font's base
// units at 96 DPI, so that they keep lying over the same controls (a dialog's
// text, and so its layout, does not grow exactly by DPI / 96).
#pragma once

#include <cstdint>

namespace korvath {

// value * actual / reference, rounded to the nearest (halves away from zero)
// as MulDiv rounds; the value unchanged when the reference is not positive.
constexpr int ScaleLength(int value, int actual, int reference) {
  if (reference <= 0) return value;
  int64_t product = static_cast<int64_t>(value) * actual;
  int64_t half = reference / 2;
  int64_t scaled = product >= 0 ? (product + half) / reference : -((-product + half) / reference);
  return static_cast<int>(scaled);
}

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
