// Samples each present display core's thermal sensor once per monitor cycle
// and keeps the statistics and the main window's per-slot texts.
#pragma once

#include <ctime>
#include <string>

#include "hw/CpuInfo.h"
#include "hw/TemperatureStats.h"
#include "hw/ThermalSample.h"

namespace korvath {

class DisplayTexts;
class MsrAccess;
class TimeSource;

class TemperatureMonitor {
 public:
  // tjMax is the identification's per-slot table, which the Settings dialog
  // may change while the monitor runs.
  TemperatureMonitor(MsrAccess& access, TimeSource& time, const int (&tjMax)[kCoreSlots], DisplayTexts& texts);

  // One present slot: pin, read MSR 0x19C, restore, then decode, compute,
  // record and set the slot's texts. False when the register could not be
  // read: the slot keeps its last good reading, which counts towards the
  // averages again but sets no record and no text.
  bool SampleCoreTemperature(int slot);
  // Slots 0-3 in order, skipping absent ones.
  void SampleAllCores();
  // The GPU as entry 4 of the statistics, without any text.
  void RecordGpuTemperature(int temperature);
  // Clears records, sums, the cycle count and the sixteen record texts; the
  // caller copies the texts into the controls.
  void ResetStatistics();

  const ThermalSample& sample(int slot) const { return samples_[slot]; }
  // False until the slot's sensor has been read once.
  bool hasReading(int slot) const { return hasReading_[slot]; }
  const ThermalSample (&samples() const)[kCoreSlots] { return samples_; }
  TemperatureStats& stats() { return stats_; }
  const TemperatureStats& stats() const { return stats_; }

  // Tenths of a degree per slot, 0 for none (Idle0-Idle3).
  int idleCalibration[kCoreSlots] = {};
  std::string degreeSuffix = "\xC2\xB0" "C";

 private:
  MsrAccess& access_;
  TimeSource& time_;
  const int (&tjMax_)[kCoreSlots];
  DisplayTexts& texts_;
  ThermalSample samples_[kCoreSlots];
  bool hasReading_[kCoreSlots] = {};
  TemperatureStats stats_;
};

// "%H:%M:%S" of a calendar time.
std::string FormatTimeOfDay(const std::tm& time);

}  // namespace korvath
