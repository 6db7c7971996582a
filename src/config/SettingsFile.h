// The three moments the settings file is used: the read at start-up, the
// write of the Settings dialog's values on OK, and the write of the window
// state when the main window is destroyed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/AppSettings.h"

namespace korvath {

class ClockModulation;
class MsrAccess;
class ProfileStore;

// What start-up has found out by the time the settings are read.
struct StartupFacts {
  bool gpuAvailable = false;
  int coreCount = 0;
  int signature = 0;
  int detectedTjMax[kCoreSlots] = {};
  // Slots and the cores beyond them: how many TjMax and Idle keys to read.
  int displayCoreCount = kCoreSlots;
  uint32_t coreSlotMask[kCoreSlots] = {};
  // The core of each of processors 0-7 (-1 where not known): the Skull
  // setting never puts two threads of one core into two slots.
  int coreOfProcessor[kSlotRuleProcessors] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// Positions are stored without negative numbers: each coordinate biased by
// 8192 in one 16-bit half.
uint32_t PackPosition(ScreenPoint point);
ScreenPoint UnpackPosition(uint32_t packed);
// A window at (0, 0) is stored as (0, -1), because 0 means "no position".
uint32_t PackWindowPosition(ScreenPoint topLeft);
// The reverse: (0, -1) is how (0, 0) was stored, and is read back as (0, 0).
ScreenPoint UnpackWindowPosition(uint32_t packed);

// The leading decimal number of text (spaces, a sign, digits with a point),
// as the C runtime's atof reads decimal text; NaN when the text does not
// start with one. Both readers of idle calibration texts use it.
double ParseLeadingDecimal(std::string_view text);

// Idle calibration text to tenths of a degree, halves away from zero; text
// that is no number, and results outside -19.9..9.9, give 0.
int ConvertIdleText(std::string_view text);

// Everything up to the fonts, in the order start-up depends on: ClockMod is
// applied to the processors on the way, Skull changes the slot masks and
// NoGPU the GPU availability (both in the result).
AppSettings ReadSettings(ProfileStore& store, const StartupFacts& facts, ClockModulation& clockModulation);
// The tray icon selection, read once the fonts exist.
void ReadIconShow(ProfileStore& store, AppSettings& settings);

// The Settings dialog's keys on OK; other keys in the file stay as they are.
void WriteDialogSettings(ProfileStore& store, const AppSettings& settings);

struct WindowState {
  bool normalWindowRectSet = false;  // a normal window position has been taken
  ScreenPoint windowTopLeft;
  ScreenPoint anchorPoint;
  ScreenPoint anchorCopy;
  bool miniMode = false;
  uint32_t iconShow = 0;
  std::string apicIds;  // see ReadApicIds
  uint32_t clockMod = 0;  // the register as found at exit
};

void WriteWindowState(ProfileStore& store, const WindowState& state);

// One digit per processor: its initial APIC identifier (low three bits),
// read pinned to it.
std::string ReadApicIds(MsrAccess& access);

}  // namespace korvath
