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
  // Only processors 0-31 can be named; the loops use bits 0-7 of them.
  return {static_cast<uint32_t>(process), static_cast<uint32_t>(system)};
}

void Win32Processor::SetProcessAffinity(uint32_t mask) {
  SetProcessAffinityMask(GetCurrentProcess(), mask);
}

bool Win32Processor::SetThreadAffinity(uint32_t mask) {
  return SetThreadAffinityMask(GetCurrentThread(), mask) != 0;
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
