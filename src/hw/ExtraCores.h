// The cores the four display slots do not show: on today's processors most
// of them. They are found once at start-up and read like the slots, each on
// its own first logical processor, which may lie in any processor group.
#pragma once

#include <cstdint>
#include <vector>

#include "hw/CoreRecords.h"
#include "hw/CoreType.h"
#include "hw/ThermalSample.h"

namespace korvath {

class MsrAccess;
struct CpuInfo;

struct ExtraCore {
  int core = 0;       // index into CpuInfo::cores
  int processor = 0;  // global logical processor its sensor is read on
  CoreType type = CoreType::kUnknown;
  int tjMaxDetected = 100;
  int tjMax = 100;  // in force: detected, or the TjMax override
  int idleCalibration = 0;
  ThermalSample sample;
  bool hasReading = false;
  bool readNow = false;  // this cycle's read succeeded
  uint64_t readFailures = 0;
  TemperatureStats::RecordChange change;  // this cycle's new records
  CoreRecords records;
};

// Every core of the topology none of whose processors a slot reads, in
// display order. TjMax comes from MSR 0x1A2 on the core itself where the
// processor reports it (readTjMax), else the slots' fallbackTjMax.
std::vector<ExtraCore> FindExtraCores(MsrAccess& access, bool readTjMax, int fallbackTjMax);

// The index into cpu.cores of the core a slot reads; -1 for an absent slot
// or one the topology does not know.
int CoreOfSlot(const CpuInfo& cpu, int slot);

}  // namespace korvath
