// The settings file as start-up reads it: any bytes in the file, every key
// read through the INI reader with its range rules, then one write and read
// back of a value taken from the input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/ClockModulation.h"
#include "config/IniProfileStore.h"
#include "config/SettingsFile.h"
#include "hw/CpuInfo.h"
#include "hw/MsrAccess.h"
#include "platform/sim/SimulatedProcessor.h"

namespace {

using namespace korvath;

const std::string& ScratchPath() {
  static const std::string path = "/tmp/korvath-fuzz-ini-" + std::to_string(getpid()) + ".ini";
  return path;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}

MachineDescription TwoCores() {
  MachineDescription machine;
  machine.systemAffinity = 0x3;
  machine.cpuid[{1, 0}] = {0x1067A, 0, 0, 0};
  return machine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath();
  WriteFile(path, data, size);

  SimulatedProcessor processor(TwoCores());
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  ClockModulation clock(access);
  IniProfileStore store(path, "Korvath");
  StartupFacts facts;
  facts.gpuAvailable = size % 2 == 1;
  facts.coreCount = cpu.coreCount;
  facts.signature = 0x1067A;
  facts.detectedTjMax[0] = facts.detectedTjMax[1] = 100;
  facts.coreSlotMask[0] = 0x1;
  facts.coreSlotMask[1] = 0x2;
  AppSettings settings = ReadSettings(store, facts, clock);
  ReadIconShow(store, settings);

  // Writing one key gives that key back exactly and leaves the others alone.
  std::string alarmFile = store.ReadString("AlarmFile", "", 512);
  std::string value;
  for (char c : alarmFile) {
    if (c > ' ' && c < 0x7F && c != '"' && c != '\'') value.push_back(c);
  }
  if (store.WriteString("FuzzKey", value)) {
    if (store.ReadString("FuzzKey", "", 1024) != value) std::abort();
    if (store.ReadString("AlarmFile", "", 512) != alarmFile) std::abort();
  }
  std::remove(path.c_str());
  return 0;
}
