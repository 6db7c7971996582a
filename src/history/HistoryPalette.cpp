#include "history/HistoryPalette.h"

namespace korvath {

uint32_t ColourFromHsv(int hue, int saturation, int value) {
  hue = ((hue % 360) + 360) % 360;
  int v = value * 255 / 100;
  int chroma = v * saturation / 100;
  int sector = hue / 60;
  int within = hue % 60;
  int rising = chroma * within / 60;
  int falling = chroma - rising;
  int base = v - chroma;
  int r = 0;
  int g = 0;
  int b = 0;
  switch (sector) {
    case 0: r = chroma; g = rising; break;
    case 1: r = falling; g = chroma; break;
    case 2: g = chroma; b = rising; break;
    case 3: g = falling; b = chroma; break;
    case 4: r = rising; b = chroma; break;
    default: r = chroma; b = falling; break;
  }
  return static_cast<uint32_t>((base + r) | ((base + g) << 8) | ((base + b) << 16));
}

// Cores of one type share a stretch of the hue circle; each next core moves
// on by the golden angle within it, so neighbours never look alike however
// many there are, and every other one is darker.
uint32_t SeriesColour(std::span<const HistorySeries> series, size_t index) {
  const HistorySeries& own = series[index];
  if (own.kind == SeriesKind::kPackage) return kPackageColour;
  if (own.kind == SeriesKind::kGpu) return kGpuColour;
  if (own.kind == SeriesKind::kLoad) return kLoadBandColour;
  int position = 0;
  for (size_t i = 0; i < index; ++i) {
    position += series[i].kind == SeriesKind::kCore && series[i].coreType == own.coreType;
  }
  int start = 0;
  int span = 360;
  if (own.coreType == CoreType::kPerformance) {
    start = 330;  // reds, oranges, yellows
    span = 120;
  } else if (own.coreType == CoreType::kEfficient) {
    start = 170;  // cyans, blues, violets
    span = 120;
  } else if (own.coreType == CoreType::kLowPowerEfficient) {
    start = 90;  // greens
    span = 60;
  }
  // 0.381966 of the stretch: the smaller golden section.
  int hue = start + static_cast<int>(static_cast<int64_t>(position) * span * 381966 / 1000000 % span);
  return ColourFromHsv(hue, 90, position % 2 == 0 ? 85 : 60);
}

}  // namespace korvath
