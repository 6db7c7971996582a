// The colours of the history's lines: up to 32 cores that stay apart, with
// the performance cores of a hybrid processor in warm hues and the efficient
// ones in cool hues; the package, the GPU and the load in their own colours.
#pragma once

#include <cstdint>
#include <span>

#include "history/HistorySeries.h"

namespace korvath {

// Colours are 0x00BBGGRR, as GDI takes them.
inline constexpr uint32_t kPackageColour = 0x000000;
inline constexpr uint32_t kGpuColour = 0x008000;
inline constexpr uint32_t kLoadBandColour = 0xF0E0D0;
inline constexpr uint32_t kCoreBandColour = 0xE0E0E0;
inline constexpr uint32_t kAlarmLineColour = 0x0000FF;
inline constexpr uint32_t kTjMaxLineColour = 0x000080;

// Hue 0-359, saturation and value 0-100, to 0x00BBGGRR.
uint32_t ColourFromHsv(int hue, int saturation, int value);

// The colour of series `index` of the list.
uint32_t SeriesColour(std::span<const HistorySeries> series, size_t index);

}  // namespace korvath
