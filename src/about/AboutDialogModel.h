// What the About box does: its two buttons open a page in the user's browser
// through the shell, and then the box closes as if cancelled.
#pragma once

#include <string>
#include <string_view>

namespace korvath {

class Desktop;
class Processor;

// The About box's two lines under the picture on the read-only driver, in
// place of the credit to the hardware-access library.
inline constexpr const char* kReadOnlyDriverLine1 = "Registers are read through PawnIO, read-only:";
inline constexpr const char* kReadOnlyDriverLine2 = "no clock modulation, no minimum VID.";
// The second line where the module refuses MPERF and APERF, as older ones do.
inline constexpr const char* kReadOnlyDriverLine2WithoutLoad =
    "no clock modulation, no minimum VID; module too old for load.";

// The vendor's lookup page for a model number; an empty model number gives
// an empty search key. Characters that would end or change the query are
// percent-encoded.
std::string SpecFinderAddress(std::string_view modelNumber);

class AboutDialogModel {
 public:
  AboutDialogModel(Desktop& desktop, Processor& processor)
      : desktop_(desktop), processor_(processor) {}

  // A page the shell cannot open is not reported: the box closes all the same.
  void OpenHomePage();
  // Identifies the processor again for its model number (the name from the
  // brand string where the window shows that), then opens the lookup.
  void OpenSpecFinder();

 private:
  Desktop& desktop_;
  Processor& processor_;
};

}  // namespace korvath
