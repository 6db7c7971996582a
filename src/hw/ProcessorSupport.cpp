#include "hw/ProcessorSupport.h"

#include "platform/Processor.h"
#include "platform/TextFormat.h"

namespace korvath {

int ReadSignature(Processor& processor) {
  return static_cast<int>(processor.Cpuid(1, 0).eax & 0xF0FFFu);
}

int SignatureFamily(int signature) { return (signature >> 8) & 0xF; }

int DisplayModel(int signature) { return (((signature >> 16) & 0xF) << 4) | ((signature >> 4) & 0xF); }

int FullFamily(uint32_t leaf1Eax) {
  const int family = static_cast<int>((leaf1Eax >> 8) & 0xF);
  return family == 0xF ? family + static_cast<int>((leaf1Eax >> 20) & 0xFF) : family;
}

bool IsNewerProcessor(int fullFamily, int displayModel, bool digitalThermalSensor) {
  if (fullFamily > 15) return digitalThermalSensor;
  if (fullFamily != 6) return false;
  switch (displayModel) {
    case 0x1C:
    case 0x26:
    case 0x27:
    case 0x35:
    case 0x36:
      return false;
    default:
      return displayModel >= 0x1E;
  }
}

namespace {

// Leaf 6 EAX, or 0 where the processor has no leaf 6: beyond the highest
// leaf a processor answers with another leaf's data.
uint32_t ThermalLeafEax(Processor& processor) {
  if (processor.Cpuid(0, 0).eax < 6) return 0;
  return processor.Cpuid(6, 0).eax;
}

}  // namespace

bool IsNewerProcessor(Processor& processor) {
  const uint32_t eax = processor.Cpuid(1, 0).eax;
  const int family = FullFamily(eax);
  const int signature = static_cast<int>(eax & 0xF0FFFu);
  return IsNewerProcessor(family, DisplayModel(signature), family > 15 && (ThermalLeafEax(processor) & 1u) != 0);
}

bool HasPackageThermalSensor(Processor& processor) { return (ThermalLeafEax(processor) & (1u << 6)) != 0; }

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
  const bool familyFifteen = signature >= 0xF00 && signature <= 0xF70 && FullFamily(leaf1.eax) == 15;
  if (hasMsr && hasSse3 && vendor == "GenuineIntel" && !familyFifteen) return std::nullopt;
  return FatalError{"Error", "The processor detected is not supported.\n\n" + vendor + "\n\n\n", 0};
}

}  // namespace korvath
