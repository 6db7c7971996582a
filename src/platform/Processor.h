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

// Affinity masks name the logical processors of one processor group, bit n
// for processor n of the group.
struct AffinityMasks {
  uint64_t process = 0;
  uint64_t system = 0;
};

// Windows puts at most 64 logical processors into one group.
inline constexpr int kProcessorsPerGroup = 64;

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

  // Of the group the process started in.
  virtual AffinityMasks GetAffinityMasks() = 0;
  virtual void SetProcessAffinity(uint64_t mask) = 0;
  // False when refused, as for a mask outside the process's affinity.
  virtual bool SetThreadAffinity(uint64_t mask) = 0;

  // Processor groups: a machine with more than 64 logical processors has
  // several, and a thread runs in one group at a time.
  virtual int ProcessorGroupCount() { return 1; }
  // The active logical processors of one group.
  virtual uint64_t GroupProcessorMask(int group) { return group == 0 ? GetAffinityMasks().system : 0; }
  // The group the calling thread runs in now.
  virtual int CurrentThreadGroup() { return 0; }
  // Moves the calling thread into group onto the processors of mask; false
  // when refused.
  virtual bool SetThreadGroupAffinity(int group, uint64_t mask) {
    return group == 0 && SetThreadAffinity(mask);
  }
  // Puts the calling worker thread on all processors of group; callable
  // from any thread, unlike the calls above, which serve the user-interface
  // thread.
  virtual void MoveWorkerIntoGroup(int /*group*/) {}
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
