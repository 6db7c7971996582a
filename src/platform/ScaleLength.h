// Integer scaling of a length between two measures, as Windows' MulDiv does
// it, for figures that must come out the same in portable code and in GDI.
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

}  // namespace korvath
