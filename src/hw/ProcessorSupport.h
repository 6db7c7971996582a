// The processor signature and the check that the processor is one whose
// thermal sensor the system can read.
#pragma once

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

// "%05X" of the signature, as the main window shows it.
std::string SignatureText(int signature);

// "GenuineIntel" when leaf 0 names it, otherwise empty.
std::string ReadVendorText(Processor& processor);

// Needs the MSR instructions, SSE3, an Intel vendor and a family other than
// 15; otherwise the "Error" box that ends the start-up.
std::optional<FatalError> CheckProcessorSupport(Processor& processor, int signature);

}  // namespace korvath
