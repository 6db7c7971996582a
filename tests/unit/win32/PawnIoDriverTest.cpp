// The read-only driver against its library double: what it takes to open,
// and that the module's refusals come back as failed reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/TextFormat.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/PawnIoDriver.h"

namespace korvath {
namespace {

#if defined(_WIN64)

std::wstring DoublePath() {
  std::wstring path = L"Z:" + Widen(KORVATH_PAWNIO_DOUBLE);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

// The install folder with the library, a module file and the machine file
// beside this test program, where the double looks for it.
class PawnIoDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"korvath-pawnio-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(DoublePath().c_str(), (folder_ + kPawnIoLibraryName).c_str(), FALSE));
    WriteModule("module");
    std::ofstream machine(Narrow(ExecutableFolder()) + "simulated-machine.ini", std::ios::trunc);
    machine << "[system]\naffinity = 0x1\n[msr]\n0x19C = 0x88260000\n0x19A = 0x1E\n0xE7 = 0x500000000\n";
  }
  void TearDown() override {
    DeleteFileW((folder_ + kPawnIoLibraryName).c_str());
    DeleteFileW(ModulePath().c_str());
    RemoveDirectoryW(folder_.c_str());
    DeleteFileW((ExecutableFolder() + L"simulated-machine.ini").c_str());
  }
  void WriteModule(const std::string& bytes) {
    std::ofstream module(Narrow(ModulePath()), std::ios::binary | std::ios::trunc);
    module << bytes;
  }
  std::wstring ModulePath() const { return folder_ + kMsrModuleFileName; }

  std::wstring folder_;
};

TEST_F(PawnIoDriverTest, OpensOnlyWithAModuleAndAFullPath) {
  PawnIoDriver driver;
  EXPECT_FALSE(driver.Open(L"pawnio", ModulePath()));
  EXPECT_FALSE(driver.Open(folder_, folder_ + L"missing.bin"));
  WriteModule("");
  EXPECT_FALSE(driver.Open(folder_, ModulePath()));
  EXPECT_FALSE(driver.IsOpen());
  // Nothing of the failed attempts stays loaded.
  EXPECT_EQ(GetModuleHandleW((folder_ + kPawnIoLibraryName).c_str()), nullptr);
  WriteModule("module");
  EXPECT_TRUE(driver.Open(folder_, ModulePath()));
  EXPECT_TRUE(driver.IsOpen());
}

TEST_F(PawnIoDriverTest, ReadsTheAllowedRegistersAndFailsTheRefusedOnes) {
  PawnIoDriver driver;
  ASSERT_TRUE(driver.Open(folder_, ModulePath()));
  uint32_t low = 1;
  uint32_t high = 1;
  EXPECT_TRUE(driver.ReadMsr(0x19C, &low, &high));
  EXPECT_EQ(low, 0x88260000u);
  EXPECT_EQ(high, 0u);
  // The machine file gives MPERF no rate, so it reads what it holds.
  EXPECT_TRUE(driver.ReadMsr(0xE7, &low, &high));
  EXPECT_EQ(low, 0u);
  EXPECT_EQ(high, 5u);
  EXPECT_FALSE(driver.ReadMsr(0x19A, &low, &high));
  EXPECT_EQ(low, 0u);
  EXPECT_EQ(high, 0u);
  driver.Close();
  EXPECT_FALSE(driver.ReadMsr(0x19C, &low, &high));
  EXPECT_EQ(GetModuleHandleW((folder_ + kPawnIoLibraryName).c_str()), nullptr);
}

#endif

}  // namespace
}  // namespace korvath
