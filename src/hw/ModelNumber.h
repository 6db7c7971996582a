// The short model number (E8400, QX9650, 920 ...) derived from the brand
// string, with the signature-dependent refinements of bare numbers.
#pragma once

#include "hw/BrandText.h"

namespace korvath {

class Processor;

// The 48 characters of extended leaves 0x80000002-0x80000004, each byte
// sign-extended to one code unit; empty when the processor has no brand string.
BrandText ReadBrandString(Processor& processor);

// The rightmost run of three or four digits with the letters directly before
// it, plus one directly following character; empty when there is none.
BrandText ScanModelToken(const BrandText& brandString);

// Prefixes a bare number from the model tables and fixes the Extreme names.
BrandText RefineModelToken(BrandText token, int signature, const BrandText& brandString);

// The model number of processors whose brand string carries no number.
BrandText FallbackModelNumber(const BrandText& brandString, int signature);

// Returns the brand string and gives the model number back in modelNumber
// (both empty when the processor has no brand string).
BrandText ParseModelNumber(Processor& processor, BrandText& modelNumber);

}  // namespace korvath
