// On-demand clock modulation and the core VID display: the operations behind
// the Settings dialog's clock modulation controls, the start-up apply of the
// saved value and the switch-off at exit.
#pragma once

#include <cstdint>
#include <string>

namespace korvath {

class MsrAccess;

inline constexpr uint32_t kClockModulationEnabled = 0x10;
inline constexpr uint32_t kClockModulationOff = 2;  // disabled, 12.5 %

// What the dialog shows: check box 1012 (and with it whether "+", "-" and the
// duty edit are enabled) and the duty text of edit 1119.
struct ClockModulationView {
  bool enabled = false;
  std::string dutyText;
  // False on the read-only driver: check box 1012 is disabled too.
  bool available = true;
};

// Edits 1101 and 1100; on Core i7 and newer processors both are disabled
// and empty.
struct CoreVidView {
  bool enabled = false;
  std::string minText;
  std::string maxText;
  // Edit 1101 alone: the read-only driver refuses its register.
  bool minEnabled = false;
};

// A value without a duty code (low four bits 0 or 1) gets code 1.
uint32_t NormaliseClockModulation(uint32_t value);
// "%.1f %%" of the duty code times 12.5.
std::string DutyCycleText(uint32_t value);
double VidVolts(uint32_t vid);

class ClockModulation {
 public:
  explicit ClockModulation(MsrAccess& access) : access_(access) {}

  // The saved ClockMod, cut to the register's bits 4-0; 0 leaves the
  // processors as they are. On the read-only driver nothing is applied and
  // the value is kept for saving.
  void ApplyAtStartup(uint32_t clockMod);

  // The dialog's opening: the VID texts, then the register read and held for
  // Cancel, normalised and written back to every processor.
  CoreVidView ReadCoreVid();
  ClockModulationView Open();
  ClockModulationView SetEnabled(bool enabled);
  ClockModulationView StepUp();
  ClockModulationView StepDown();
  ClockModulationView Defaults();
  // Puts back the value read at opening, exactly as it was read.
  void Cancel();

  // Exit: the value to save as ClockMod, read before the switch-off; on the
  // read-only driver the value the file gave, unchanged.
  uint32_t ReadForSaving();
  void SwitchOff();

  // Processor 0's register; when the read is refused, the value last read or
  // written here.
  uint32_t ReadProcessor0();
  uint32_t heldForCancel() const { return heldForCancel_; }

 private:
  ClockModulationView WriteAndShow(uint32_t value);
  void Write(uint32_t value);

  MsrAccess& access_;
  uint32_t heldForCancel_ = 0;
  uint32_t fromFile_ = 0;
  uint32_t lastKnown_ = 0;
};

}  // namespace korvath
