#include "hw/TemperatureMonitor.h"

#include <ctime>

#include "hw/MsrAccess.h"
#include "platform/TimeSource.h"

namespace korvath {

TemperatureMonitor::TemperatureMonitor(MsrAccess& access, TimeSource& time, const int (&tjMax)[kCoreSlots])
    : access_(access), time_(time), tjMax_(tjMax) {}

bool TemperatureMonitor::SampleCoreTemperature(int slot) {
  const uint32_t mask = access_.cpu().coreSlotMask[slot];
  if (mask == 0) return false;

  uint32_t low = 0;
  uint32_t high = 0;
  // Unpinned, the read would report whichever core the thread happens to be on.
  bool read = access_.PinToCpu(mask) && access_.ReadMsr(kMsrThermStatus, &low, &high);
  access_.RestoreAffinity();

  ThermalSample& sample = samples_[slot];
  readNow_[slot] = read;
  change_[slot] = {};
  if (!read) {
    ++readFailures_[slot];
    // A refused read is no reading: 0 would show TjMax and stick as the
    // maximum. The held reading keeps the averages where they were.
    if (hasReading_[slot]) {
      stats_.tempSum[slot] += sample.temperature;
      stats_.distanceSum[slot] += sample.readout;
    }
    return false;
  }
  hasReading_[slot] = true;
  sample = DecodeThermalStatus(low, slot);
  sample.temperature = CoreTemperature(sample.readout, sample.hotNow, tjMax_[slot], idleCalibration[slot]);

  stats_.distanceSum[slot] += sample.readout;
  const std::tm now = time_.LocalNow();
  change_[slot] = stats_.RecordTemperature(slot, sample.temperature, now);
  stats_.RecordDistance(slot, sample.readout);
  return true;
}

bool TemperatureMonitor::SampleExtraCore(ExtraCore& core) {
  uint32_t low = 0;
  uint32_t high = 0;
  core.change = {};
  core.readNow = access_.PinToProcessor(core.processor) && access_.ReadMsr(kMsrThermStatus, &low, &high);
  access_.RestoreAffinity();
  if (!core.readNow) {
    ++core.readFailures;
    if (core.hasReading) core.records.Hold(core.sample.temperature, core.sample.readout);
    return false;
  }
  core.hasReading = true;
  // Display numbers from 4 on: never the fourth slot's short status text.
  core.sample = DecodeThermalStatus(low, kCoreSlots);
  core.sample.temperature = CoreTemperature(core.sample.readout, core.sample.hotNow, core.tjMax, core.idleCalibration);
  core.change = core.records.Record(core.sample.temperature, core.sample.readout, time_.LocalNow());
  return true;
}

CoreReading TemperatureMonitor::Core(int displayCore) const {
  CoreReading reading;
  const ThermalSample* sample = nullptr;
  if (displayCore < kCoreSlots) {
    const CpuInfo& cpu = access_.cpu();
    reading.present = cpu.coreSlotMask[displayCore] != 0;
    reading.hasReading = hasReading_[displayCore];
    reading.readNow = readNow_[displayCore];
    reading.readFailures = readFailures_[displayCore];
    const int core = CoreOfSlot(cpu, displayCore);
    if (core >= 0) reading.type = cpu.cores[static_cast<size_t>(core)].type;
    reading.tjMax = tjMax_[displayCore];
    sample = &samples_[displayCore];
    reading.minTemp = stats_.minTemp[displayCore];
    reading.maxTemp = stats_.maxTemp[displayCore];
    reading.minDistance = stats_.minDistance[displayCore];
    reading.maxDistance = stats_.maxDistance[displayCore];
    reading.averageTemperature = stats_.AverageTemperature(displayCore);
    reading.averageDistance = stats_.AverageDistance(displayCore);
    reading.minTime = stats_.minTime[displayCore];
    reading.maxTime = stats_.maxTime[displayCore];
  } else {
    const ExtraCore& core = extraCores_[static_cast<size_t>(displayCore - kCoreSlots)];
    reading.present = true;
    reading.hasReading = core.hasReading;
    reading.readNow = core.readNow;
    reading.readFailures = core.readFailures;
    reading.type = core.type;
    reading.tjMax = core.tjMax;
    sample = &core.sample;
    const CoreRecords& records = core.records;
    reading.minTemp = records.minTemp;
    reading.maxTemp = records.maxTemp;
    reading.minDistance = records.minDistance;
    reading.maxDistance = records.maxDistance;
    reading.averageTemperature = RoundedAverage(records.tempSum, stats_.cycleCount);
    reading.averageDistance = RoundedAverage(records.distanceSum, stats_.cycleCount);
    reading.minTime = records.minTime;
    reading.maxTime = records.maxTime;
  }
  reading.temperature = sample->temperature;
  reading.readout = sample->readout;
  reading.hotNow = sample->hotNow;
  reading.hotLogged = sample->hotLogged;
  reading.statusText = sample->statusText;
  reading.hasRecords = reading.hasReading && reading.minTemp <= reading.maxTemp;
  return reading;
}

int TemperatureMonitor::HottestCore() const {
  int hottest = -1;
  int hottestTemperature = 0;
  for (int core = 0; core < displayCoreCount(); ++core) {
    const CoreReading reading = Core(core);
    if (!reading.present || !reading.hasReading) continue;
    if (hottest < 0 || reading.temperature > hottestTemperature) {
      hottest = core;
      hottestTemperature = reading.temperature;
    }
  }
  return hottest;
}

void TemperatureMonitor::RecordGpuTemperature(int temperature) {
  stats_.RecordTemperature(kGpuEntry, temperature, time_.LocalNow());
}

void TemperatureMonitor::ResetStatistics() {
  stats_.Reset();
  for (ExtraCore& core : extraCores_) core.records.Reset();
}

}  // namespace korvath
