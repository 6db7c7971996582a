// The seam to the processor: CPUID, the time-stamp counter, affinity and the
// hardware-access library's register calls.
#pragma once

#include <cstdint>

namespace korvath {

struct CpuidResult {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
};

struct AffinityMasks {
  uint32_t process = 0;
  uint32_t system = 0;
};

// Status codes of the hardware-access library; 3 also stands for a library
// that is missing or lacks one of the entries we bind.
enum HardwareAccessStatus : int {
  kHardwareAccessOk = 0,
  kHardwareAccessDriverNotLoaded = 2,
  kHardwareAccessDriverNotFound = 3,
};

// Thin: every call maps to one instruction, one system call or one library
// entry. Rules about which processor to visit live above, in MsrAccess.
class Processor {
 public:
  virtual ~Processor() = default;

  // Executed on whatever logical processor the calling thread runs on.
  virtual CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) = 0;
  virtual uint64_t ReadTsc() = 0;

  virtual AffinityMasks GetAffinityMasks() = 0;
  virtual void SetProcessAffinity(uint32_t mask) = 0;
  // False when refused, as for a mask outside the process's affinity.
  virtual bool SetThreadAffinity(uint32_t mask) = 0;
  // Sleep(0): gives the scheduler the chance to move the thread at once.
  virtual void YieldToScheduler() = 0;

  // The hardware-access library, bound by ordinal.
  virtual void OpenHardwareAccess() = 0;               // ordinal 7
  virtual int GetHardwareAccessStatus() = 0;           // ordinal 1
  virtual bool QueryMsrSupport() = 0;                  // ordinal 11
  // True when the register was read; a failed read leaves 0 in both halves.
  virtual bool ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) = 0;  // ordinal 21
  virtual void WriteMsr(uint32_t index, uint32_t low, uint32_t high) = 0;   // ordinal 22
  virtual void CloseHardwareAccess() = 0;              // ordinal 8

  // The read-only driver (PawnIO with its MSR module) in place of a library
  // that cannot be used. True when it is installed, its module lies beside
  // the executable and both opened; from then on ReadMsr goes through it,
  // WriteMsr writes nothing and CloseHardwareAccess closes it too.
  virtual bool OpenReadOnlyAccess() { return false; }
};

}  // namespace korvath
