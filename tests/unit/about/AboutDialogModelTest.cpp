#include "about/AboutDialogModel.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "about/AboutLinks.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

const std::string kLookup =
    "https://processorfinder.intel.com/List.aspx?ParentRadio=All&ProcFam=0&SearchKey=";

TEST(AboutDialogModel, EachLinkOpensItsPageOnce) {
  SimulatedProcessor processor(testing::LoadMachine("e8400"));
  SimulatedDesktop desktop;
  AboutDialogModel about(desktop, processor);

  about.OpenHomePage();
  EXPECT_EQ(desktop.Events(), (std::vector<std::string>{std::string("open ") + kHomePageAddress}));

  desktop.TakeEvents();
  desktop.shellFinds = false;  // a shell that fails changes nothing
  about.OpenSpecFinder();
  EXPECT_EQ(desktop.Events(), (std::vector<std::string>{"open " + kLookup + "E8400"}));
}

TEST(AboutDialogModel, NewerProcessorsAreLookedUpByTheNameFromTheBrandString) {
  SimulatedProcessor processor(testing::LoadMachine("i7-8700k"));
  SimulatedDesktop desktop;
  AboutDialogModel(desktop, processor).OpenSpecFinder();
  EXPECT_EQ(desktop.Events(), (std::vector<std::string>{"open " + kLookup + "i7-8700K"}));
}

TEST(AboutDialogModel, NoBrandStringSearchesForNothing) {
  SimulatedProcessor processor(testing::ParseMachine(
      "[cpuid]\n0x0 = 0x0000000D 0x756E6547 0x6C65746E 0x49656E69\n"
      "0x1 = 0x0001067A 0 0 0\n0x80000000 = 0x80000001 0 0 0\n"));
  SimulatedDesktop desktop;
  AboutDialogModel(desktop, processor).OpenSpecFinder();
  EXPECT_EQ(desktop.Events(), (std::vector<std::string>{"open " + kLookup}));
}

TEST(AboutDialogModel, SearchKeysThatWouldBreakTheQueryAreEncoded) {
  EXPECT_EQ(SpecFinderAddress("QX9650"), kLookup + "QX9650");
  EXPECT_EQ(SpecFinderAddress("Core i7 920"), kLookup + "Core%20i7%20920");
  EXPECT_EQ(SpecFinderAddress("E8400&ProcFam=3#x"), kLookup + "E8400%26ProcFam%3D3%23x");
  EXPECT_EQ(SpecFinderAddress("T2300E-1.0_~"), kLookup + "T2300E-1.0_~");
}

}  // namespace
}  // namespace korvath
