#include "hw/ClockDisplay.h"

#include "hw/CoreRatios.h"
#include "hw/MsrAccess.h"
#include "hw/NominalMultiplier.h"

namespace korvath {
namespace {

constexpr int kBusRatioProcessors = 4;  // 0x2A is read on processors 0-3 only

double BusRatioField(uint32_t low) {
  double ratio = (low >> 22) & 0x1F;
  if (low & 0x40000) ratio += 0.5;
  return ratio;
}

double CoreI7Multiplier(const CpuInfo& cpu, double ratio) {
  double multiplier = NearestHalfMultiplier(ratio, cpu.maxMultiplier);
  return multiplier < 12 ? 12 : multiplier;
}

// Without a counter read this cycle the ratio is a stand-in of 1.0, and the
// nominal multiplier it would give is not what the processor runs at.
std::optional<double> NewerProcessorMultiplier(const CpuInfo& cpu, double ratio) {
  if (!cpu.ratioMeasured) return std::nullopt;
  return CountersMultiplier(cpu, ratio);
}

std::optional<double> BusRatioMultiplier(MsrAccess& access) {
  CpuInfo& cpu = access.cpu();
  double sum = 0;
  double last = 0;
  int read = 0;
  for (int i = 0; i < kBusRatioProcessors; ++i) {
    if (!cpu.HasProcessor(i)) continue;
    uint32_t low = 0;
    uint32_t high = 0;
    // A processor whose field could not be read is left out; its zeros
    // would pull the multiplier down to the floor.
    bool gotField = access.PinToCpu(1u << i) && access.ReadMsr(kMsrEblCrPowerOn, &low, &high);
    access.RestoreAffinity();
    if (!gotField) continue;
    last = BusRatioField(low);
    sum += last;
    ++read;
  }
  if (read == 0) return std::nullopt;
  double multiplier = last;
  // The rounded averages only hold when every processor was read; with a gap
  // in processors 0-3 or a failed read they would average too few readings.
  if (read == cpu.coreCount) {
    if (cpu.coreCount == 4) multiplier = static_cast<int64_t>((sum + 1) * 0.5) * 0.5;
    else if (cpu.coreCount == 2) multiplier = static_cast<int64_t>(sum + 0.5) * 0.5;
    else if (cpu.coreCount == 1) multiplier = sum;
  }
  return multiplier < 6 ? 6 : multiplier;
}

}  // namespace

double CountersMultiplier(const CpuInfo& cpu, double ratio) {
  double multiplier = NearestHalfMultiplier(ratio, cpu.maxMultiplier);
  return multiplier < cpu.minMultiplier ? cpu.minMultiplier : multiplier;
}

std::optional<double> CurrentMultiplier(MsrAccess& access, double ratio) {
  const CpuInfo& cpu = access.cpu();
  if (!cpu.HasNominalMultiplier()) return std::nullopt;
  if (cpu.newerProcessor) return NewerProcessorMultiplier(cpu, ratio);
  if (cpu.IsCoreI7()) return CoreI7Multiplier(cpu, ratio);
  return BusRatioMultiplier(access);
}

std::optional<double> AverageLoad(const CpuInfo& cpu) {
  if (cpu.loadUnavailable) return std::nullopt;
  double sum = 0;
  int measured = 0;
  // Entries of processors that are not there stay 0.
  int limit = cpu.ProcessorLimit() > kSlotRuleProcessors ? cpu.ProcessorLimit() : kSlotRuleProcessors;
  if (limit > kMaxLogicalProcessors) limit = kMaxLogicalProcessors;
  for (int i = 0; i < limit; ++i) {
    sum += cpu.coreLoad[i];
    measured += cpu.loadMeasured[i];
  }
  // A processor whose counters could not be read yet has no load to show;
  // once every processor has been measured this is the plain average.
  int count = measured > 0 && measured < cpu.coreCount ? measured : cpu.coreCount;
  return count > 0 ? sum / count : 0.0;
}

std::optional<ClockSpeed> MeasureClockSpeed(MsrAccess& access, double tscMhz) {
  double ratio = MeasureCoreRatios(access);
  std::optional<double> multiplier = CurrentMultiplier(access, ratio);
  const CpuInfo& cpu = access.cpu();
  // The same as a whole number of MHz above 0, and false for a NaN.
  if (!(tscMhz >= 1.0) || !multiplier) return std::nullopt;
  return ClockSpeed{tscMhz * *multiplier / cpu.maxMultiplier, tscMhz / cpu.maxMultiplier, *multiplier};
}

}  // namespace korvath
