#include "monitor/ClockTexts.h"

#include <optional>

#include "hw/ClockDisplay.h"
#include "hw/MsrAccess.h"
#include "platform/TextFormat.h"
#include "resources/resource.h"
#include "ui/DisplayTexts.h"

namespace korvath {

std::string ElapsedTimeText(uint64_t cycleCount) {
  uint32_t elapsed = static_cast<uint32_t>(cycleCount) - 1;
  uint32_t hours = elapsed / 3600;
  uint32_t rest = elapsed % 3600;
  return Format("%u:%02u:%02u", hours, rest / 60, rest % 60);
}

std::string LoadText(const CpuInfo& cpu) {
  std::optional<double> load = AverageLoad(cpu);
  if (!load) return {};
  return Format("Load %5.1f%%", *load);
}

// Without a speed this cycle the texts keep the last one; without a nominal
// multiplier they stay empty for the run.
void UpdateClockTexts(MsrAccess& access, double tscMhz, uint64_t cycleCount, DisplayTexts& texts) {
  if (std::optional<ClockSpeed> speed = MeasureClockSpeed(access, tscMhz)) {
    texts.Set(IDC_CLOCK_SPEED, Format("%.2f MHz", speed->clockMhz));
    texts.Set(IDC_BUS_MULTIPLIER, Format("%.2f x %.1f", speed->busMhz, speed->multiplier));
  }
  texts.Set(IDC_ELAPSED_TIME, ElapsedTimeText(cycleCount));
  texts.Set(IDC_LOAD, LoadText(access.cpu()));
}

}  // namespace korvath
