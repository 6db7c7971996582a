// Samples each present display core's thermal sensor once per monitor cycle
// and keeps the readings, the statistics and which records each read set.
#pragma once

#include <cstdint>
#include <ctime>
#include <string_view>
#include <vector>

#include "hw/CoreType.h"
#include "hw/CpuInfo.h"
#include "hw/ExtraCores.h"
#include "hw/TemperatureStats.h"
#include "hw/ThermalSample.h"

namespace korvath {

class MsrAccess;
class TimeSource;

// What every consumer of a core's numbers needs, for any display core: 0-3
// are the slots, 4 on the extra cores in their order.
struct CoreReading {
  bool present = false;     // the core exists
  bool hasReading = false;  // read at least once
  bool readNow = false;     // read in this cycle
  CoreType type = CoreType::kUnknown;
  int temperature = 0;
  int readout = 0;
  bool hotNow = false;
  bool hotLogged = false;
  std::string_view statusText;
  bool hasRecords = false;  // false until read and again after a Reset
  int minTemp = 0;
  int maxTemp = 0;
  int minDistance = 0;
  int maxDistance = 0;
  int averageTemperature = 0;
  int averageDistance = 0;
  std::tm minTime = {};
  std::tm maxTime = {};
  int tjMax = 0;
  uint64_t readFailures = 0;
};

class TemperatureMonitor {
 public:
  // tjMax is the identification's per-slot table, which the Settings dialog
  // may change while the monitor runs.
  TemperatureMonitor(MsrAccess& access, TimeSource& time, const int (&tjMax)[kCoreSlots]);

  // One present slot: pin, read MSR 0x19C, restore, then decode, compute
  // and record. False when the register could not be read: the slot keeps
  // its last good reading, which counts towards the averages again but sets
  // no record.
  bool SampleCoreTemperature(int slot);
  // One extra core: read on its own processor, decoded and recorded like a
  // slot; its change says which records are new.
  bool SampleExtraCore(ExtraCore& core);

  // Start-up: the cores beyond the slots.
  void SetExtraCores(std::vector<ExtraCore> cores) { extraCores_ = std::move(cores); }
  std::vector<ExtraCore>& extraCores() { return extraCores_; }
  const std::vector<ExtraCore>& extraCores() const { return extraCores_; }
  // The slots, present or not, and the extra cores.
  int displayCoreCount() const { return kCoreSlots + static_cast<int>(extraCores_.size()); }
  CoreReading Core(int displayCore) const;
  // The present core read at least once with the highest temperature, the
  // lowest number on a tie; -1 before any reading.
  int HottestCore() const;
  // The GPU as entry 4 of the statistics, without any text.
  void RecordGpuTemperature(int temperature);
  // Clears records, sums and the cycle count; the last readings stay.
  void ResetStatistics();

  const ThermalSample& sample(int slot) const { return samples_[slot]; }
  // False until the slot's sensor has been read once.
  bool hasReading(int slot) const { return hasReading_[slot]; }
  // The slot's sensor was read in this cycle's sample.
  bool readNow(int slot) const { return readNow_[slot]; }
  // The records the slot's last sample set; none after a failed read.
  const TemperatureStats::RecordChange& change(int slot) const { return change_[slot]; }
  const ThermalSample (&samples() const)[kCoreSlots] { return samples_; }
  TemperatureStats& stats() { return stats_; }
  const TemperatureStats& stats() const { return stats_; }

  // Tenths of a degree per slot, 0 for none (Idle0-Idle3).
  int idleCalibration[kCoreSlots] = {};

 private:
  MsrAccess& access_;
  TimeSource& time_;
  const int (&tjMax_)[kCoreSlots];
  ThermalSample samples_[kCoreSlots];
  bool hasReading_[kCoreSlots] = {};
  bool readNow_[kCoreSlots] = {};
  uint64_t readFailures_[kCoreSlots] = {};
  TemperatureStats::RecordChange change_[kCoreSlots] = {};
  TemperatureStats stats_;
  std::vector<ExtraCore> extraCores_;
};

}  // namespace korvath
