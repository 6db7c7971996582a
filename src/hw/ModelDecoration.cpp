#include "hw/ModelDecoration.h"

namespace korvath {

bool IsCoreI7Signature(int signature) { return signature == 0x106A4 || signature == 0x106A5; }

BrandText DecorateModelNumber(BrandText model, const BrandText& brand, int signature) {
  if (Contains(brand, "Xeon")) model = ToBrandText("Xeon ") + model;
  if (Contains(brand, "Quad")) model = ToBrandText("Quad ") + model;
  if (Contains(brand, "ES")) model += ToBrandText(" ES");
  if (Contains(brand, "Atom") || signature == 0x106C2) model = ToBrandText("Atom ") + model;
  if (IsCoreI7Signature(signature) && !Contains(brand, "Xeon")) {
    model = ToBrandText("Core i7 ") + model;
    // Early brand strings carry a placeholder number; the clock names the part.
    if (Contains(model, "000")) {
      if (Contains(brand, "2.67GHz")) model = ToBrandText("Core i7 920");
      if (Contains(brand, "2.93GHz")) model = ToBrandText("Core i7 940");
      if (Contains(brand, "3.20GHz")) model = ToBrandText("Core i7 965");
    }
  }
  return model;
}

}  // namespace korvath
