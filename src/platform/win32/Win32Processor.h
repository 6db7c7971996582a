// The real processor: CPUID and RDTSC executed directly, the affinity calls
// of Windows, and the hardware-access library beside the executable.
#pragma once

#include <string>

#include "platform/Processor.h"
#include "platform/win32/HardwareAccessLibrary.h"
#include "platform/win32/PawnIoDriver.h"

namespace korvath {

class Win32Processor : public Processor {
 public:
  // Uses the library of our bitness in the executable's folder.
  Win32Processor();
  // Uses the library at libraryPath, which must be a full path.
  explicit Win32Processor(const std::wstring& libraryPath);

  CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTsc() override;

  AffinityMasks GetAffinityMasks() override;
  void SetProcessAffinity(uint64_t mask) override;
  bool SetThreadAffinity(uint64_t mask) override;
  int ProcessorGroupCount() override;
  uint64_t GroupProcessorMask(int group) override;
  int CurrentThreadGroup() override;
  bool SetThreadGroupAffinity(int group, uint64_t mask) override;
  void MoveWorkerIntoGroup(int group) override;
  void YieldToScheduler() override;

  void OpenHardwareAccess() override;
  int GetHardwareAccessStatus() override;
  bool QueryMsrSupport() override;
  bool ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) override;
  void WriteMsr(uint32_t index, uint32_t low, uint32_t high) override;
  void CloseHardwareAccess() override;
  // 64-bit only: PawnIO from its install folder with IntelMSR.bin from the
  // executable's folder. The 32-bit build has no read-only driver.
  bool OpenReadOnlyAccess() override;

  const HardwareAccessLibrary& library() const { return library_; }

 private:
  HardwareAccessLibrary library_;
  PawnIoDriver readOnlyDriver_;
};

// Full path of the hardware-access library Korvath uses.
std::wstring DefaultHardwareAccessLibraryPath();

}  // namespace korvath
