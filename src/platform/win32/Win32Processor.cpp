#include "platform/win32/Win32Processor.h"

#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#include <x86intrin.h>
#endif

#include "platform/win32/ModulePath.h"

namespace korvath {

std::wstring DefaultHardwareAccessLibraryPath() {
  std::wstring folder = ExecutableFolder();
  if (folder.empty()) return {};
  return folder + kHardwareAccessLibraryName;
}

Win32Processor::Win32Processor() : Win32Processor(DefaultHardwareAccessLibraryPath()) {}

Win32Processor::Win32Processor(const std::wstring& libraryPath) : library_(libraryPath) {}

CpuidResult Win32Processor::Cpuid(uint32_t leaf, uint32_t subleaf) {
  CpuidResult result;
#if defined(_MSC_VER)
  int registers[4] = {};
  __cpuidex(registers, static_cast<int>(leaf), static_cast<int>(subleaf));
  result.eax = static_cast<uint32_t>(registers[0]);
  result.ebx = static_cast<uint32_t>(registers[1]);
  result.ecx = static_cast<uint32_t>(registers[2]);
  result.edx = static_cast<uint32_t>(registers[3]);
#else
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  // The raw form: __get_cpuid_count refuses leaves above the maximum, and
  // the callers want what the processor itself answers.
  __cpuid_count(leaf, subleaf, eax, ebx, ecx, edx);
  result = {eax, ebx, ecx, edx};
#endif
  return result;
}

uint64_t Win32Processor::ReadTsc() { return __rdtsc(); }

AffinityMasks Win32Processor::GetAffinityMasks() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return {};
  return {static_cast<uint64_t>(process), static_cast<uint64_t>(system)};
}

void Win32Processor::SetProcessAffinity(uint64_t mask) {
  SetProcessAffinityMask(GetCurrentProcess(), static_cast<DWORD_PTR>(mask));
}

bool Win32Processor::SetThreadAffinity(uint64_t mask) {
  return SetThreadAffinityMask(GetCurrentThread(), static_cast<DWORD_PTR>(mask)) != 0;
}

int Win32Processor::ProcessorGroupCount() {
  WORD count = GetActiveProcessorGroupCount();
  return count > 0 ? count : 1;
}

uint64_t Win32Processor::GroupProcessorMask(int group) {
  DWORD count = GetActiveProcessorCount(static_cast<WORD>(group));
  // A 32-bit process sees at most 32 processors a group.
  constexpr DWORD kMaskBits = sizeof(KAFFINITY) * 8;
  if (count > kMaskBits) count = kMaskBits;
  if (count == 0) return 0;
  return count >= 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
}

int Win32Processor::CurrentThreadGroup() {
  GROUP_AFFINITY affinity = {};
  if (!GetThreadGroupAffinity(GetCurrentThread(), &affinity)) return 0;
  return affinity.Group;
}

void Win32Processor::MoveWorkerIntoGroup(int group) { SetThreadGroupAffinity(group, GroupProcessorMask(group)); }

bool Win32Processor::SetThreadGroupAffinity(int group, uint64_t mask) {
  GROUP_AFFINITY affinity = {};
  affinity.Mask = static_cast<KAFFINITY>(mask);
  affinity.Group = static_cast<WORD>(group);
  if (affinity.Mask == 0) return false;
  return ::SetThreadGroupAffinity(GetCurrentThread(), &affinity, nullptr) != 0;
}

void Win32Processor::YieldToScheduler() { Sleep(0); }

void Win32Processor::OpenHardwareAccess() { library_.Open(); }

int Win32Processor::GetHardwareAccessStatus() { return library_.GetStatus(); }

bool Win32Processor::QueryMsrSupport() { return library_.QueryMsrSupport(); }

bool Win32Processor::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
  if (readOnlyDriver_.IsOpen()) return readOnlyDriver_.ReadMsr(index, low, high);
  return library_.ReadMsr(index, low, high);
}

void Win32Processor::WriteMsr(uint32_t index, uint32_t low, uint32_t high) {
  // The read-only driver's module writes none of our registers.
  if (readOnlyDriver_.IsOpen()) return;
  library_.WriteMsr(index, low, high);
}

void Win32Processor::CloseHardwareAccess() {
  readOnlyDriver_.Close();
  library_.Close();
}

bool Win32Processor::OpenReadOnlyAccess() {
#if defined(_WIN64)
  std::wstring folder = ExecutableFolder();
  if (folder.empty()) return false;
  return readOnlyDriver_.Open(PawnIoInstallFolder(), folder + kMsrModuleFileName);
#else
  return false;
#endif
}

}  // namespace korvath
