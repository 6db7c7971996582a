#include "hw/TjMax.h"

#include "hw/MsrAccess.h"
#include "hw/ProcessorSupport.h"

namespace korvath {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t FirstLetter(const BrandText& model) { return model.empty() ? u'\0' : model[0]; }

// The quad-core Q9000 line (Q9300, Q9450, Q9550, Q9650 ...): "Q" and four
// digits from Q9000 on. A bare code-unit comparison against "Q9000" would
// also reach every QX, R-Z, T and X model and undo the rules before it.
bool IsQuadFromQ9000(const BrandText& model) {
  std::u16string_view visible = VisiblePart(model);
  if (visible.size() != 5 || visible[0] != u'Q') return false;
  for (size_t i = 1; i < visible.size(); ++i) {
    if (!IsDigit(visible[i])) return false;
  }
  return AtOrAfter(model, "Q9000");
}

// The low half of MSR 0x1A2 on the processor the thread is pinned to. Every
// reading of the register goes through here, so that a refused read gives 0,
// which both rules take as "not reported".
uint32_t ReadTemperatureTarget(MsrAccess& access) {
  uint32_t low = 0;
  uint32_t high = 0;
  if (!access.ReadMsr(kMsrTemperatureTarget, &low, &high)) return 0;
  return low;
}

// Pins to every present core slot in turn and hands take(slot, low half of
// MSR 0x1A2) what it read there; absent slots are skipped.
template <typename Take>
void ForEachSlotTemperatureTarget(MsrAccess& access, Take&& take) {
  const CpuInfo& cpu = access.cpu();
  for (int k = 0; k < kCoreSlots; ++k) {
    if (cpu.coreSlotMask[k] == 0) continue;
    // A slot that cannot be pinned reads nothing: another core's register
    // is no answer for it.
    take(k, access.PinToCpu(cpu.coreSlotMask[k]) ? ReadTemperatureTarget(access) : 0u);
  }
  access.RestoreAffinity();
}

}  // namespace

int TjMaxFromModel(const BrandText& model, int signature) {
  int tjMax = kDefaultTjMax;
  const char16_t first = FirstLetter(model);
  if ((signature >= 0x6F0 && signature <= 0x6F9) || (signature >= 0x6FE && signature <= 0x6FF) ||
      signature == 0x106C2) {
    tjMax = 90;
  }
  if (Equals(model, "QX9770") || Equals(model, "QX9775")) tjMax = 85;
  if (Equals(model, "QX6800") || Equals(model, "QX6850")) tjMax = signature == 0x6F7 ? 85 : 95;
  if (first == u'T' || first == u'L' || first == u'U') tjMax = 100;
  if (first == u'T' && AtOrAfter(model, "T8100")) tjMax = 105;
  if (first == u'P') tjMax = AtOrAfter(model, "P8000") ? 105 : 90;
  if (IsQuadFromQ9000(model)) tjMax = 100;
  if (Equals(model, "SL9300") || Equals(model, "SL9400")) tjMax = 105;
  if (Equals(model, "SP9300") || Equals(model, "SP9400")) tjMax = 105;
  if (Equals(model, "SU9300") || Equals(model, "SU9400")) tjMax = 105;
  if (Equals(model, "X9000") || Equals(model, "X9100")) tjMax = 105;
  // An empty or short model number is contained in these tables too.
  if (IsContainedIn(model, "Z500 Z510 Z520 Z530 Z540 Z550 N270")) tjMax = 90;
  if (IsContainedIn(model, "E5405 E5410 E5420 E5430 E5440 E5450 E5462 E5472")) tjMax = 90;
  return tjMax;
}

void ReadTjMaxFromProcessor(MsrAccess& access, int (&tjMax)[kCoreSlots]) {
  ForEachSlotTemperatureTarget(access, [&](int k, uint32_t low) {
    const int target = static_cast<int>((low >> 16) & 0x7F);
    tjMax[k] = target == 0 ? kDefaultTjMax : target;
  });
}

bool ReportsTjMax(int signature) {
  if (SignatureFamily(signature) != 6) return false;
  const int model = DisplayModel(signature);
  if (model == 0x26 || model == 0x27 || model == 0x35 || model == 0x36) return false;
  return model >= 0x1E;
}

void ReadReportedTjMax(MsrAccess& access, int (&tjMax)[kCoreSlots]) {
  ForEachSlotTemperatureTarget(access, [&](int k, uint32_t low) {
    const int target = static_cast<int>((low >> 16) & 0xFF);
    if (target != 0) tjMax[k] = target;
  });
}

}  // namespace korvath
