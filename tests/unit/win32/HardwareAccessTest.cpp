// The real processor seam against the hardware-access library double: how
// the library is found and bound, and that register calls follow the pin.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "hw/CpuInfo.h"
#include "hw/MsrAccess.h"
#include "platform/TextFormat.h"
#include "platform/win32/HardwareAccessLibrary.h"
#include "platform/win32/Win32Processor.h"

namespace korvath {
namespace {

std::wstring WindowsPath(const char* linuxPath) {
  std::wstring path = L"Z:" + Widen(linuxPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

// A fresh folder holding the library double (or another DLL under its name)
// and a machine file, so that every test gets a freshly loaded library.
class LibraryFolder {
 public:
  LibraryFolder(const std::string& machine, const char* dll = KORVATH_HARDWARE_ACCESS_DOUBLE) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    folder_ = std::wstring(temp) + L"korvath-access-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++counter) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    EXPECT_TRUE(CopyFileW(WindowsPath(dll).c_str(), LibraryPath().c_str(), FALSE));
    HANDLE file = CreateFileW((folder_ + L"simulated-machine.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, machine.data(), static_cast<DWORD>(machine.size()), &written, nullptr);
    CloseHandle(file);
  }
  ~LibraryFolder() {
    DeleteFileW(LibraryPath().c_str());
    DeleteFileW((folder_ + L"simulated-machine.ini").c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring folder() const { return folder_; }
  std::wstring LibraryPath() const { return folder_ + kHardwareAccessLibraryName; }

 private:
  std::wstring folder_;
};

constexpr char kWorkingMachine[] =
    "[system]\naffinity = 0x3\n[msr]\n0x19C = 0x88270000\n[msr.cpu1]\n0x19C = 0x88260000\n";

TEST(HardwareAccessLibrary, LoadsOnlyFromAFullPath) {
  LibraryFolder working(kWorkingMachine);
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  // A working library in the current folder must not be reached by a
  // name that leaves the choice to the search order.
  SetCurrentDirectoryW(working.folder().c_str());
  for (const std::wstring& path : {std::wstring(kHardwareAccessLibraryName),
                                   std::wstring(L".\\") + kHardwareAccessLibraryName, std::wstring()}) {
    HardwareAccessLibrary library(path);
    library.Open();
    EXPECT_FALSE(library.IsBound()) << Narrow(path);
    EXPECT_EQ(library.GetStatus(), kHardwareAccessDriverNotFound) << Narrow(path);
  }
  SetCurrentDirectoryW(previous);

  // Nor by a folder on PATH.
  wchar_t path[32768] = {};
  GetEnvironmentVariableW(L"PATH", path, 32768);
  std::wstring previousPath = path;
  SetEnvironmentVariableW(L"PATH", (working.folder() + L";" + previousPath).c_str());
  {
    HardwareAccessLibrary onPath(kHardwareAccessLibraryName);
    onPath.Open();
    EXPECT_FALSE(onPath.IsBound());
  }
  SetEnvironmentVariableW(L"PATH", previousPath.c_str());

  HardwareAccessLibrary library(working.LibraryPath());
  library.Open();
  EXPECT_TRUE(library.IsBound());
  EXPECT_EQ(library.GetStatus(), kHardwareAccessOk);
  EXPECT_TRUE(library.QueryMsrSupport());
  library.Close();
}

TEST(HardwareAccessLibrary, MissingLibraryOrEntryIsDriverNotFound) {
  LibraryFolder partial("[system]\naffinity = 0x1\n", KORVATH_PARTIAL_ACCESS_DOUBLE);
  // The partial library would answer status 0 if it were used at all.
  for (const std::wstring& path : {partial.folder() + L"NoSuchLibrary.dll", partial.LibraryPath()}) {
    HardwareAccessLibrary library(path);
    library.Open();
    EXPECT_FALSE(library.IsBound()) << Narrow(path);
    EXPECT_EQ(library.GetStatus(), kHardwareAccessDriverNotFound) << Narrow(path);
    EXPECT_FALSE(library.QueryMsrSupport());
    uint32_t low = 0xDEAD, high = 0xBEEF;
    EXPECT_FALSE(library.ReadMsr(kMsrThermStatus, &low, &high));
    EXPECT_EQ(low, 0u);
    EXPECT_EQ(high, 0u);
    library.WriteMsr(kMsrClockModulation, 2, 0);
    library.Close();
  }
}

TEST(HardwareAccessLibrary, PassesTheDriverStateOn) {
  LibraryFolder notLoaded("[driver]\nstatus = 2\n");
  HardwareAccessLibrary library(notLoaded.LibraryPath());
  library.Open();
  EXPECT_EQ(library.GetStatus(), kHardwareAccessDriverNotLoaded);

  // Without MSR support every read fails, and a failed read is 0 in both
  // halves whatever the caller's variables held.
  LibraryFolder noSupport("[driver]\nstatus = 0\nmsr_support = 0\n[msr]\n0x19C = 0x1234567888270000\n");
  HardwareAccessLibrary unsupported(noSupport.LibraryPath());
  unsupported.Open();
  EXPECT_EQ(unsupported.GetStatus(), kHardwareAccessOk);
  EXPECT_FALSE(unsupported.QueryMsrSupport());
  uint32_t low = 0xDEAD, high = 0xBEEF;
  EXPECT_FALSE(unsupported.ReadMsr(kMsrThermStatus, &low, &high));
  EXPECT_EQ(low, 0u);
  EXPECT_EQ(high, 0u);
}

TEST(Win32Processor, RegisterCallsActOnThePinnedProcessor) {
  LibraryFolder folder(kWorkingMachine);
  Win32Processor processor(folder.LibraryPath());
  CpuInfo cpu = CreateCpuInfo(processor);
  if ((cpu.systemAffinityMask & 0x3) != 0x3) GTEST_SKIP() << "needs logical processors 0 and 1";
  cpu.systemAffinityMask &= 0x3;  // the machine file describes two processors
  MsrAccess access(processor, cpu);
  ASSERT_FALSE(access.Open().has_value());

  uint64_t thermStatus[2] = {};
  access.ForEachProcessor([&](int i) { thermStatus[i] = access.ReadMsr(kMsrThermStatus); });
  EXPECT_EQ(thermStatus[0], 0x88270000u);
  EXPECT_EQ(thermStatus[1], 0x88260000u);

  access.PinToCpu(0x2);
  access.WriteMsr(kMsrClockModulation, 0x12, 0x34);
  EXPECT_EQ(access.ReadMsr(kMsrClockModulation), 0x0000003400000012u);
  access.PinToCpu(0x1);
  EXPECT_EQ(access.ReadMsr(kMsrClockModulation), 0u);
  uint32_t low = 0, high = 0;
  EXPECT_TRUE(processor.ReadMsr(kMsrThermStatus, &low, &high));
  access.RestoreAffinity();
  EXPECT_EQ(processor.GetAffinityMasks().process, cpu.systemAffinityMask);
  access.Close();
}

TEST(Win32Processor, ExecutesCpuidAndReadsTheTimeStampCounter) {
  Win32Processor processor(L"");
  CpuidResult vendor = processor.Cpuid(0, 0);
  EXPECT_GE(vendor.eax, 1u);
  char name[13] = {};
  memcpy(name, &vendor.ebx, 4);
  memcpy(name + 4, &vendor.edx, 4);
  memcpy(name + 8, &vendor.ecx, 4);
  for (char c : std::string(name)) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << name;
  EXPECT_EQ(std::string(name).size(), 12u);
  // The sub-leaf reaches the processor: leaf 4 describes a different cache
  // per sub-leaf on processors that have it.
  if (std::string(name) == "GenuineIntel" && vendor.eax >= 4 && processor.Cpuid(4, 0).eax != 0) {
    EXPECT_NE(processor.Cpuid(4, 0).eax, processor.Cpuid(4, 1).eax);
  }

  uint64_t before = processor.ReadTsc();
  Sleep(20);
  EXPECT_GT(processor.ReadTsc(), before);
}

}  // namespace
}  // namespace korvath
