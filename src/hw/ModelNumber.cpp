#include "hw/ModelNumber.h"

#include <cstdint>

#include "hw/ProcessorSupport.h"
#include "platform/Processor.h"

namespace korvath {
namespace {

constexpr std::string_view kENumbers =
    "1200 2140 2160 2180 2200 2220 2240 3110 4300 4400 4500 4600 5345 5410 5420 5430 5450 5462 "
    "5472 6300 6320 6400 6420 6540 6550 6600 6750 7210 7220 7320 7330 7340 8190 8400 8500 8600";
constexpr std::string_view kTNumbers =
    "1300 1400 2050 2060 2080 2100 2130 2200 2250 2300 2300E 2330 2350 2370 2400 2450 2500 2600 "
    "2700 5250 5270 5300 5450 5470 5500 5600 7100 7250 7300 7400 7500 7600 7700 7800 8100 8300 "
    "9300 9400 9500 9600";
constexpr std::string_view kXNumbers = "3210 3220 3230 5260 5272 5355 5365 5460 5472 5482 6800 7900 9000";
constexpr std::string_view kQxNumbers = "9650 9770 9775";

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

BrandText Prefixed(std::string_view prefix, const BrandText& text) { return ToBrandText(prefix) + text; }

void AppendRegister(BrandText& text, uint32_t value) {
  for (int byte = 0; byte < 4; ++byte) {
    auto c = static_cast<int8_t>(static_cast<uint8_t>(value >> (8 * byte)));
    text.push_back(static_cast<char16_t>(static_cast<int16_t>(c)));
  }
}

}  // namespace

BrandText ReadBrandString(Processor& processor) {
  if (processor.Cpuid(0x80000000, 0).eax < 0x80000004u) return {};
  BrandText brand;
  brand.reserve(kBrandStringLength);
  for (uint32_t leaf = 0x80000002; leaf <= 0x80000004; ++leaf) {
    CpuidResult r = processor.Cpuid(leaf, 0);
    AppendRegister(brand, r.eax);
    AppendRegister(brand, r.ebx);
    AppendRegister(brand, r.ecx);
    AppendRegister(brand, r.edx);
  }
  return brand;
}

BrandText ScanModelToken(const BrandText& brand) {
  const size_t length = brand.size();
  int digits = 0;
  int letters = 0;
  // The position one past the end is visited too and counts as a non-digit,
  // so a number at the very end of the text still closes its run.
  for (size_t i = length + 1; i-- > 0;) {
    const bool inside = i < length;
    const char16_t c = inside ? brand[i] : u'\0';
    if (inside && IsDigit(c)) {
      ++digits;
      continue;
    }
    if (digits != 3 && digits != 4) {
      digits = 0;
      letters = 0;
      continue;
    }
    if (!inside) continue;
    if (IsAsciiLetter(c)) {
      ++letters;
      continue;
    }
    if (c != u' ') continue;
    const size_t start = i + 1;
    BrandText token = brand.substr(start, static_cast<size_t>(digits + letters));
    const size_t after = start + static_cast<size_t>(digits + letters);
    if (after < length && brand[after] != u' ') token.push_back(brand[after]);
    return token;
  }
  return {};
}

BrandText RefineModelToken(BrandText token, int signature, const BrandText& brand) {
  if (token.size() == 4) {
    if (IsContainedIn(token, kENumbers)) token = Prefixed("E", token);
    if (IsContainedIn(token, kTNumbers)) {
      token = Prefixed("T", token);
      if (signature == 0x6FA) {
        token = Prefixed("L", token);
      } else if (signature == 0x6F2 || signature == 0x6FD) {
        token = Prefixed("U", token);
      }
    }
    if (IsContainedIn(token, kXNumbers)) token = Prefixed("X", token);
    if (IsContainedIn(token, kQxNumbers)) token = Prefixed("QX", token);
    if (Equals(token, "7200")) {
      if (signature == 0x10676) {
        token = ToBrandText("E7200");
      } else if (signature == 0x6F6) {
        token = ToBrandText("T7200");
      }
    }
    if (Equals(token, "6850")) {
      token = ToBrandText(Contains(brand, "Quad") || Contains(brand, "Extreme") ? "QX6850" : "E6850");
    }
  }
  if (Equals(token, "X9650") || Equals(token, "X9770") || Equals(token, "X9775")) {
    token = Prefixed("Q", token);
  }
  return token;
}

BrandText FallbackModelNumber(const BrandText& brand, int signature) {
  BrandText model;
  if (Contains(brand, "2.40GHz")) {
    if (signature == 0x6F6) model = ToBrandText("E6600");
    if (signature == 0x6F7) model = ToBrandText("Q6600");
  }
  if (Contains(brand, "2.66GHz")) {
    if (signature == 0x6F6) model = ToBrandText("E6700");
    if (signature == 0x6F7) model = ToBrandText("QX6700");
  }
  if (Contains(brand, "2.93GHz")) {
    if (signature == 0x6F7 || signature == 0x6FB) model = ToBrandText("QX6800");
    if (signature == 0x6F6) model = ToBrandText("X6800");
  }
  return model;
}

BrandText ParseModelNumber(Processor& processor, BrandText& modelNumber) {
  modelNumber.clear();
  BrandText brand = ReadBrandString(processor);
  if (brand.empty()) return brand;
  const int signature = ReadSignature(processor);
  modelNumber = ScanModelToken(brand);
  if (!modelNumber.empty()) {
    modelNumber = RefineModelToken(modelNumber, signature, brand);
  } else {
    modelNumber = FallbackModelNumber(brand, signature);
  }
  if (Equals(modelNumber, "Q6800")) modelNumber = ToBrandText("QX6800");
  return brand;
}

}  // namespace korvath
