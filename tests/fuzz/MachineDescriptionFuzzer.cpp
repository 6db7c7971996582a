// The simulated machine's description file: any text is either refused (with
// a line number, or for the whole file with the section it concerns) or gives
// a machine that start-up can identify without harm.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hw/CpuInfo.h"
#include "hw/MsrAccess.h"
#include "hw/ProcessorIdentity.h"
#include "platform/sim/MachineDescription.h"
#include "platform/sim/SimulatedProcessor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvath;
  MachineParseResult parsed = ParseMachineDescription(std::string(reinterpret_cast<const char*>(data), size));
  if (!parsed.machine) {
    const std::string& error = parsed.error;
    if (error.rfind("line ", 0) != 0 && error.rfind("[", 0) != 0) std::abort();
    return 0;
  }
  SimulatedProcessor processor(*parsed.machine);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  if (access.Open()) return 0;
  ProcessorIdentity identity;
  if (!IdentifyProcessor(access, identity)) {
    access.ForEachProcessor([&](int) { access.ReadMsr(kMsrThermStatus); });
    access.EnableFixedCounters();
    access.DisableFixedCounters();
  }
  access.Close();
  return 0;
}
