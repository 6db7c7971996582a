// What the start-up learns about the processor: signature, model number,
// and TjMax per display core slot.
#pragma once

#include <optional>
#include <string>

#include "hw/BrandText.h"
#include "hw/CpuInfo.h"
#include "hw/FatalError.h"

namespace korvath {

class MsrAccess;

struct ProcessorIdentity {
  int signature = 0;
  std::string signatureText;
  BrandText brandString;
  // Decorated for display; the About dialog parses the brand string again.
  BrandText modelNumber;
  int tjMax[kCoreSlots] = {100, 100, 100, 100};
  // The values before the settings overrides, offered by the Settings dialog.
  int tjMaxDetected[kCoreSlots] = {100, 100, 100, 100};

  std::string ModelText() const { return ToUtf8(modelNumber); }
};

// Reads the signature into the identity and CpuInfo and formats its text.
void IdentifySignature(MsrAccess& access, ProcessorIdentity& identity);

// Model number, TjMax chain, display decorations (or the name from the brand
// string on processors the tables do not know) and, on Core i7 and later
// processors, TjMax from the processor. Needs the core slots.
void IdentifyModelAndTjMax(MsrAccess& access, ProcessorIdentity& identity);

// The identification steps of the start-up in their order: signature,
// support check, core slots, model number and TjMax. An unsupported
// processor stops it with the "Error" box.
std::optional<FatalError> IdentifyProcessor(MsrAccess& access, ProcessorIdentity& identity);

}  // namespace korvath
