#include "hw/ProcessorSupport.h"

#include "platform/Processor.h"
#include "platform/TextFormat.h"

namespace korvath {

int ReadSignature(Processor& processor) {
  return static_cast<int>(processor.Cpuid(1, 0).eax & 0xF0FFFu);
}

int SignatureFamily(int signature) { return (signature >> 8) & 0xF; }

int DisplayModel(int signature) { return (((signature >> 16) & 0xF) << 4) | ((signature >> 4) & 0xF); }

std::string SignatureText(int signature) { return Format("%05X", static_cast<unsigned>(signature)); }

std::string ReadVendorText(Processor& processor) {
  CpuidResult leaf0 = processor.Cpuid(0, 0);
  // "Genu" "ineI" "ntel" in EBX, EDX, ECX.
  if (leaf0.ebx == 0x756E6547u && leaf0.edx == 0x49656E69u && leaf0.ecx == 0x6C65746Eu) {
    return "GenuineIntel";
  }
  return {};
}

std::optional<FatalError> CheckProcessorSupport(Processor& processor, int signature) {
  CpuidResult leaf1 = processor.Cpuid(1, 0);
  std::string vendor = ReadVendorText(processor);
  const bool hasMsr = (leaf1.edx & (1u << 5)) != 0;
  const bool hasSse3 = (leaf1.ecx & 1u) != 0;
  // Family 15 (the NetBurst generation) has no digital thermal sensor of
  // the kind read here.
  const bool familyFifteen = signature >= 0xF00 && signature <= 0xF70;
  if (hasMsr && hasSse3 && vendor == "GenuineIntel" && !familyFifteen) return std::nullopt;
  return FatalError{"Error", "The processor detected is not supported.\n\n" + vendor + "\n\n\n", 0};
}

}  // namespace korvath
