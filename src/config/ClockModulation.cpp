#include "config/ClockModulation.h"

#include "hw/MsrAccess.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr uint32_t kDutyBits = 0xF;  // the duty code with bit 0, as the step rules count it
// Enable, duty code and bit 0; the driver refuses a write with any other bit.
constexpr uint32_t kDefinedBits = 0x1F;
constexpr uint32_t kLowestEnabled = 0x12;   // enabled, 12.5 %
constexpr uint32_t kHighestEnabled = 0x1E;  // enabled, 87.5 %

}  // namespace

uint32_t NormaliseClockModulation(uint32_t value) {
  return (value & kDutyBits) < 2 ? value | 2 : value;
}

std::string DutyCycleText(uint32_t value) {
  return Format("%.1f %%", ((value >> 1) & 7) * 12.5);
}

double VidVolts(uint32_t vid) { return (vid & 0x3F) * 0.0125 + 0.825; }

void ClockModulation::ApplyAtStartup(uint32_t clockMod) {
  // The read-only driver keeps the file's value as it is, for saving. The
  // file may have been edited by hand: bits the register does not define are
  // dropped, and a value left with none means nothing was saved.
  fromFile_ = clockMod;
  if (access_.readOnly()) return;
  clockMod &= kDefinedBits;
  if (clockMod == 0) return;
  Write(NormaliseClockModulation(clockMod));
}

uint32_t ClockModulation::ReadProcessor0() {
  // Processor 0 stands for all: every write goes to every processor.
  uint32_t low = 0;
  uint32_t high = 0;
  bool read = access_.PinToCpu(1) && access_.ReadMsr(kMsrClockModulation, &low, &high);
  access_.RestoreAffinity();
  // A refused read is no value: 0 would switch modulation off in the dialog
  // and be saved over the user's setting at exit.
  if (!read) return lastKnown_;
  lastKnown_ = low;
  return low;
}

void ClockModulation::Write(uint32_t value) {
  access_.SetClockModulation(value);
  lastKnown_ = value;
}

CoreVidView ClockModulation::ReadCoreVid() {
  CoreVidView view;
  // Core i7 and later processors keep other things in these bits (the
  // voltage of 0x198 in 1/8192 V): decoded as a VID they would be false.
  if (access_.cpu().IsCoreI7() || access_.cpu().newerProcessor) return view;
  view.enabled = true;
  uint32_t low = 0;
  uint32_t high = 0;
  view.minEnabled = !access_.readOnly();
  if (view.minEnabled) {
    access_.PinToCpu(1);
    access_.ReadMsr(kMsrTherm2Ctl, &low, &high);
    access_.RestoreAffinity();
    view.minText = Format("Min = %.4f", VidVolts(low));
  }
  low = high = 0;
  access_.PinToCpu(1);
  access_.ReadMsr(kMsrPerfStatus, &low, &high);
  access_.RestoreAffinity();
  view.maxText = Format("Max = %.4f", VidVolts(high));
  return view;
}

ClockModulationView ClockModulation::Open() {
  if (access_.readOnly()) return {false, DutyCycleText(kClockModulationOff), false};
  heldForCancel_ = ReadProcessor0();
  uint32_t value = NormaliseClockModulation(heldForCancel_);
  Write(value);
  return {(value & kClockModulationEnabled) != 0, DutyCycleText(value)};
}

ClockModulationView ClockModulation::SetEnabled(bool enabled) {
  uint32_t value = ReadProcessor0();
  if ((value & kDutyBits) < 2) value = kClockModulationOff;
  value = enabled ? (value | kClockModulationEnabled) : (value & ~kClockModulationEnabled);
  Write(value);
  return {enabled, DutyCycleText(value)};
}

ClockModulationView ClockModulation::StepUp() {
  uint32_t value = ReadProcessor0();
  bool atTop = (value & kDutyBits) >= 14;
  return WriteAndShow(atTop ? kLowestEnabled : (value + 2) | kClockModulationEnabled);
}

ClockModulationView ClockModulation::StepDown() {
  uint32_t value = ReadProcessor0();
  bool atBottom = (value & kDutyBits) <= 2;
  return WriteAndShow(atBottom ? kHighestEnabled : (value - 2) | kClockModulationEnabled);
}

ClockModulationView ClockModulation::Defaults() {
  Write(kClockModulationOff);
  return {false, DutyCycleText(kClockModulationOff)};
}

void ClockModulation::Cancel() { Write(heldForCancel_); }

uint32_t ClockModulation::ReadForSaving() { return access_.readOnly() ? fromFile_ : ReadProcessor0(); }

void ClockModulation::SwitchOff() { access_.SetClockModulation(kClockModulationOff); }

ClockModulationView ClockModulation::WriteAndShow(uint32_t value) {
  Write(value);
  return {true, DutyCycleText(value)};
}

}  // namespace korvath
