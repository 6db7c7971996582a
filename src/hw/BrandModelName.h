// The model name of processors newer than the model tables, read from the
// brand string itself ("i7-8700K", "Xeon E5-2680 v4").
#pragma once

#include "hw/BrandText.h"

namespace korvath {

// The brand string up to its first NUL without the clock (from " @"), the
// marks (R), (TM) and (tm), the words Intel, Core, CPU, Processor and
// Genuine and a leading "12th Gen", with single spaces and no spaces at
// either end.
BrandText ModelNameFromBrand(const BrandText& brandString);

// Whether the window and the lookup show ModelNameFromBrand instead of the
// model number: on a family-6 processor after Nehalem (display model 0x1E
// and up) that has a brand string in which the model number rules found
// nothing. The processors the tables were written for keep their texts,
// an empty one included.
bool IsNamedByBrand(const BrandText& modelNumber, const BrandText& brandString, int signature);

}  // namespace korvath
