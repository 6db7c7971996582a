// The one road to the processor's registers: pinning to one logical
// processor at a time, register reads and writes, the fixed counters and
// clock modulation, and the opening and closing of the hardware access.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hw/CpuInfo.h"
#include "hw/FatalError.h"

namespace korvath {

class Processor;

inline constexpr uint32_t kMsrThermStatus = 0x19C;
inline constexpr uint32_t kMsrPackageThermStatus = 0x1B1;
inline constexpr uint32_t kMsrTemperatureTarget = 0x1A2;
inline constexpr uint32_t kMsrPerfStatus = 0x198;
inline constexpr uint32_t kMsrPlatformInfo = 0xCE;
inline constexpr uint32_t kMsrEblCrPowerOn = 0x2A;
inline constexpr uint32_t kMsrClockModulation = 0x19A;
inline constexpr uint32_t kMsrTherm2Ctl = 0x19D;
inline constexpr uint32_t kMsrFixedCtr1 = 0x30A;
inline constexpr uint32_t kMsrFixedCtr2 = 0x30B;
inline constexpr uint32_t kMsrFixedCtrCtrl = 0x38D;
inline constexpr uint32_t kFixedCounterEnableBits = 0x220;  // bits 5 and 9
// Count unhalted reference and core cycles like fixed counters 2 and 1, but
// always run: the counters of the read-only driver.
inline constexpr uint32_t kMsrMperf = 0xE7;
inline constexpr uint32_t kMsrAperf = 0xE8;

// Which driver reaches the registers.
enum class RegisterAccess {
  kReadWrite,  // the hardware-access library
  kReadOnly,   // the read-only driver, where Windows refuses the library's
};

// Text for a hardware-access status code; empty outside 0-9.
std::string HardwareStatusText(int status);

class MsrAccess {
 public:
  MsrAccess(Processor& processor, CpuInfo& cpu) : processor_(processor), cpu_(cpu) {}

  // Opens the library and checks it. Where it cannot be used, the read-only
  // driver takes its place if it is there; otherwise the "Driver Error" box.
  std::optional<FatalError> Open();
  void Close();

  // Moves the calling thread onto the processor(s) of mask in group 0. False
  // when the thread could not be moved: the caller then skips that
  // processor's register work, which would otherwise run wherever the thread
  // is.
  bool PinToCpu(uint64_t mask);
  // The same for one logical processor by its global number (group 0's
  // processors first, then group 1's, ...).
  bool PinToProcessor(int logicalProcessor);
  // Puts the calling thread back on all processors of its own group. Other
  // threads keep their own pins (the process mask is never narrowed by us).
  void RestoreAffinity();

  // 0 when the read fails.
  uint64_t ReadMsr(uint32_t index);
  // True when the register was read; both halves are 0 when it was not.
  bool ReadMsr(uint32_t index, uint32_t* low, uint32_t* high);
  bool ReadMsr(uint32_t index, uint64_t* value);
  // Nothing is written on the read-only driver, nor by the three below.
  void WriteMsr(uint32_t index, uint32_t low, uint32_t high);

  void EnableFixedCounters();
  void SetClockModulation(uint32_t value);
  // The counter half of the shutdown: only when we switched them on.
  void DisableFixedCounters();

  // Runs work(i) pinned to every present logical processor i, in every
  // group, then restores the affinity once.
  template <typename Work>
  void ForEachProcessor(Work&& work) {
    for (int group = 0; group < cpu_.groupCount; ++group) {
      const uint64_t mask = cpu_.GroupMask(group);
      for (int number = 0; number < kProcessorsPerGroupLimit; ++number) {
        if ((mask >> number & 1) == 0) continue;
        const int i = cpu_.groupFirst[group] + number;
        if (i >= kMaxLogicalProcessors) break;
        if (!PinToProcessor(i)) continue;
        work(i);
      }
    }
    RestoreAffinity();
  }

  RegisterAccess access() const { return access_; }
  bool readOnly() const { return access_ == RegisterAccess::kReadOnly; }

  Processor& processor() { return processor_; }
  CpuInfo& cpu() { return cpu_; }

 private:
  Processor& processor_;
  CpuInfo& cpu_;
  // Sets the thread's mask; when that is refused, widens the process to the
  // system mask (another program may have narrowed it) and tries once more.
  bool SetThreadMask(uint64_t mask);
  bool SetGroupMask(int group, uint64_t mask);
  static constexpr int kProcessorsPerGroupLimit = 64;

  // A thread can only be pinned inside the process mask, so a process that
  // started narrower is widened to the system mask before the first pin.
  bool processOnSystemMask_ = false;
  RegisterAccess access_ = RegisterAccess::kReadWrite;
};

}  // namespace korvath
