// The model number as the main window shows it: family words in front,
// " ES" for engineering samples, and the Core i7 names.
#pragma once

#include "hw/BrandText.h"

namespace korvath {

// Changes only the shown text; TjMax comes from the undecorated number.
BrandText DecorateModelNumber(BrandText modelNumber, const BrandText& brandString, int signature);

bool IsCoreI7Signature(int signature);

}  // namespace korvath
