// The processor signature and the check that the processor is one whose
// thermal sensor the system can read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hw/FatalError.h"

namespace korvath {

class Processor;

// CPUID leaf 1 EAX without the processor type and extended family bits.
int ReadSignature(Processor& processor);

// The family field of the signature (6 for every processor the system reads).
int SignatureFamily(int signature);

// (extended model << 4) | model: the model number Intel's documents name
// processors by, 0x17 for Penryn, 0x1A for Nehalem, 0x9E for Coffee Lake.
int DisplayModel(int signature);

// The family as Intel's documents number it: the family field, plus the
// extended family (leaf 1 EAX bits 27-20) when the field is 15.
int FullFamily(uint32_t leaf1Eax);

// Processors after Core 2 and the first Core i7: family 6 from display model
// 0x1E on, except the Atoms 0x1C, 0x26, 0x27, 0x35 and 0x36, and any family
// above 15 with a digital thermal sensor. Their clock comes from their own
// nominal ratio and the counters; they have no 0x2A.
bool IsNewerProcessor(int fullFamily, int displayModel, bool digitalThermalSensor);
bool IsNewerProcessor(Processor& processor);

// Leaf 6 EAX bit 6: the package has a thermal sensor of its own (0x1B1).
bool HasPackageThermalSensor(Processor& processor);

// "%05X" of the signature, as the main window shows it.
std::string SignatureText(int signature);

// "GenuineIntel" when leaf 0 names it, otherwise empty.
std::string ReadVendorText(Processor& processor);

// Needs the MSR instructions, SSE3, an Intel vendor and a family other than
// 15 (families above it, which also carry 15 in the family field, pass); otherwise the "Error" box that ends the start-up.
std::optional<FatalError> CheckProcessorSupport(Processor& processor, int signature);

}  // namespace korvath
