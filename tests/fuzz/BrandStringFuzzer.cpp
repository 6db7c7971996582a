// The processor's brand string as identification scans it: the first four
// bytes pick the signature, the next 48 are the brand bytes of the extended
// CPUID leaves.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "hw/CpuInfo.h"
#include "hw/ModelNumber.h"
#include "hw/MsrAccess.h"
#include "hw/ProcessorIdentity.h"
#include "platform/sim/SimulatedProcessor.h"

namespace {

using namespace korvath;

// Signatures the model rules treat apart, and the families around them.
constexpr uint32_t kSignatures[] = {0x6F2, 0x6F6, 0x6F7, 0x6FA, 0x6FB, 0x6FD, 0x10676, 0x1067A,
                                    0x106A5, 0x106C2, 0x106E5, 0x20652, 0x206C2, 0x10661, 0x1066D};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint32_t pick = 0;
  std::memcpy(&pick, data, 4);
  data += 4;
  size -= 4;
  constexpr size_t kCount = sizeof kSignatures / sizeof kSignatures[0];
  // The top bit asks for a signature outside the table.
  const uint32_t signature = (pick & 0x80000000u) ? (pick & 0x0FFF3FFF) : kSignatures[pick % kCount];

  MachineDescription machine;
  machine.systemAffinity = 0x3;
  machine.cpuid[{0, 0}] = {0xD, 0x756E6547, 0x6C65746E, 0x49656E69};
  machine.cpuid[{1, 0}] = {signature, 0x00020800, 0x0008E3FD, 0xBFEBFBFF};
  machine.cpuid[{4, 0}] = {0x04000121, 0, 0, 0};
  machine.cpuid[{0x80000000, 0}] = {0x80000008, 0, 0, 0};
  machine.msr[kMsrThermStatus] = 0x88260000;
  machine.msr[kMsrTemperatureTarget] = 0x00640000;
  char bytes[kBrandStringLength] = {};
  std::memcpy(bytes, data, std::min(size, kBrandStringLength));
  for (uint32_t leaf = 0; leaf < 3; ++leaf) {
    uint32_t regs[4];
    std::memcpy(regs, bytes + 16 * leaf, 16);
    machine.cpuid[{0x80000002 + leaf, 0}] = {regs[0], regs[1], regs[2], regs[3]};
  }

  SimulatedProcessor processor(machine);
  CpuInfo cpu = CreateCpuInfo(processor);
  MsrAccess access(processor, cpu);
  ProcessorIdentity identity;
  IdentifyProcessor(access, identity);
  (void)identity.ModelText();
  BrandText model;
  BrandText brand = ParseModelNumber(processor, model);
  (void)ToUtf8(brand);
  (void)ToUtf8(model);
  return 0;
}
