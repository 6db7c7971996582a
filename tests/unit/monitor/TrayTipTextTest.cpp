#include "monitor/TrayTipText.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvath {
namespace {

constexpr char kDegrees[] = "\xC2\xB0" "C";

// Cores 0..count-1 of one type at 50 + (number % 20) degrees.
std::vector<TipCore> Cores(int count, CoreType type = CoreType::kUnknown, int first = 0) {
  std::vector<TipCore> cores;
  for (int n = first; n < first + count; ++n) cores.push_back({n, type, 50 + n % 20});
  return cores;
}

std::string Tip(const std::vector<TipCore>& cores, const std::vector<int>& packages,
                std::string_view suffix = kDegrees) {
  std::string tip;
  BuildTrayTipText(cores, packages, suffix, tip);
  EXPECT_LE(Utf16Length(tip), kTrayTipLimit) << tip;
  return tip;
}

TEST(TrayTipText, ListsEveryCoreWhileTheListFits) {
  std::vector<TipCore> four = {{0, CoreType::kUnknown, 45}, {1, CoreType::kUnknown, 47},
                               {2, CoreType::kUnknown, 44}, {3, CoreType::kUnknown, 50}};
  EXPECT_EQ(Tip(four, {52}), "Core 0:  45\xC2\xB0" "C\nCore 1:  47\xC2\xB0" "C\nCore 2:  44\xC2\xB0" "C\nCore 3:  50\xC2\xB0" "C");
  EXPECT_EQ(Tip(Cores(6), {56}),
            "Core 0:  50\xC2\xB0" "C\nCore 1:  51\xC2\xB0" "C\nCore 2:  52\xC2\xB0" "C\nCore 3:  53\xC2\xB0" "C\n"
            "Core 4:  54\xC2\xB0" "C\nCore 5:  55\xC2\xB0" "C");
  // Nine lines are 125 units, 134 bytes: the shell counts units.
  EXPECT_EQ(Tip(Cores(9), {}).substr(8 * 15), "Core 8:  58\xC2\xB0" "C");
  EXPECT_EQ(Tip({}, {50}), "");
}

TEST(TrayTipText, NamesTheHottestOfEachTypeAndThePackageWhenTheListIsTooLong) {
  // 6 P-cores, 8 E-cores and 2 low-power E-cores. Two P-cores tie: the
  // lower number is named.
  std::vector<TipCore> sixteen = Cores(6, CoreType::kPerformance);
  for (const TipCore& core : Cores(8, CoreType::kEfficient, 6)) sixteen.push_back(core);
  for (const TipCore& core : Cores(2, CoreType::kLowPowerEfficient, 14)) sixteen.push_back(core);
  sixteen[2].temperature = sixteen[4].temperature = 68;
  sixteen[13].temperature = 71;
  EXPECT_EQ(Tip(sixteen, {72}),
            "Hottest: Core 13 (E)  71\xC2\xB0" "C\nHottest P: Core 2  68\xC2\xB0" "C\n"
            "Hottest LP-E: Core 15  65\xC2\xB0" "C\nPackage:  72\xC2\xB0" "C");

  std::vector<TipCore> twentyFour = Cores(8, CoreType::kPerformance);
  for (const TipCore& core : Cores(16, CoreType::kEfficient, 8)) twentyFour.push_back(core);
  twentyFour[5].temperature = 84;
  EXPECT_EQ(Tip(twentyFour, {85}),
            "Hottest: Core 5 (P)  84\xC2\xB0" "C\nHottest E: Core 19  69\xC2\xB0" "C\nPackage:  85\xC2\xB0" "C");

  std::vector<TipCore> fiftySix = Cores(56);
  fiftySix[41].temperature = 83;
  EXPECT_EQ(Tip(fiftySix, {70, 84}),
            "Hottest: Core 41  83\xC2\xB0" "C\nPackage 0:  70\xC2\xB0" "C\nPackage 1:  84\xC2\xB0" "C");
}

TEST(TrayTipText, LinesThatWouldPassTheLimitAreLeftOut) {
  // An 11-unit suffix of the settings file, a surrogate pair at its end.
  constexpr char kLong[] = " Celsius \xF0\x9F\x8C\xA1";
  EXPECT_EQ(Utf16Length(kLong), 11u);
  std::vector<TipCore> fiftySix = Cores(56);
  fiftySix[41].temperature = 83;
  std::string tip = Tip(fiftySix, {70, 84, 71, 69}, kLong);
  EXPECT_EQ(tip, std::string("Hottest: Core 41  83") + kLong + "\nPackage 0:  70" + kLong + "\nPackage 1:  84" + kLong +
                     "\nPackage 2:  71" + kLong);
  EXPECT_EQ(Utf16Length(tip), 109u);

  // Built again into the same string: no new allocation.
  const char* storage = tip.data();
  for (int i = 0; i < 3; ++i) BuildTrayTipText(fiftySix, std::vector<int>{70, 84, 71, 69}, kLong, tip);
  BuildTrayTipText(Cores(4), std::vector<int>{}, kDegrees, tip);
  EXPECT_EQ(tip.data(), storage);
}

}  // namespace
}  // namespace korvath
