#include "platform/win32/NvapiGpuSource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "monitor/GpuSensor.h"
#include "platform/TextFormat.h"
#include "platform/sim/SimulatedGpuSource.h"

namespace korvath {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return FolderOf(path);
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH] = {};
  GetSystemDirectoryW(path, MAX_PATH);
  return std::wstring(path) + L"\\";
}

// The build names the double by its Linux path; Wine shows that tree as Z:.
std::wstring DoublePath() {
  std::wstring path = L"Z:" + Widen(KORVATH_NVAPI_DOUBLE);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::wstring LoadedLibraryPath() {
  HMODULE module = GetModuleHandleW(NvapiGpuSource::LibraryName());
  if (module == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = towlower(c);
  return text;
}

// Puts a folder first on PATH for as long as it lives.
class PathPrefix {
 public:
  explicit PathPrefix(const std::wstring& folder) {
    wchar_t buffer[32768] = {};
    GetEnvironmentVariableW(L"PATH", buffer, 32768);
    previous_ = buffer;
    SetEnvironmentVariableW(L"PATH", (folder + L";" + previous_).c_str());
  }
  ~PathPrefix() { SetEnvironmentVariableW(L"PATH", previous_.c_str()); }

 private:
  std::wstring previous_;
};

class NvapiGpuSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(GetFileAttributesW(DoublePath().c_str()), INVALID_FILE_ATTRIBUTES)
        << Narrow(DoublePath());
    ASSERT_EQ(LoadedLibraryPath(), L"");
    RemoveSystemCopy();
    std::ofstream machine(Narrow(ProgramFolder()) + "simulated-machine.ini");
    machine << "[gpu]\ntemperatures = 47 52\n";
  }

  void TearDown() override {
    RemoveSystemCopy();
    DeleteFileW((ProgramFolder() + NvapiGpuSource::LibraryName()).c_str());
    DeleteFileW((ProgramFolder() + L"simulated-machine.ini").c_str());
    if (!plantedFolder_.empty()) {
      SetCurrentDirectoryW(ProgramFolder().c_str());
      DeleteFileW((plantedFolder_ + NvapiGpuSource::LibraryName()).c_str());
      RemoveDirectoryW(plantedFolder_.c_str());
    }
  }

  void RemoveSystemCopy() {
    DeleteFileW((SystemFolder() + NvapiGpuSource::LibraryName()).c_str());
  }

  bool InstallInto(const std::wstring& folder) {
    return CopyFileW(DoublePath().c_str(), (folder + NvapiGpuSource::LibraryName()).c_str(),
                     FALSE) != 0;
  }

  std::wstring plantedFolder_;
};

TEST_F(NvapiGpuSourceTest, CopiesBesideTheProgramInTheCurrentFolderOrOnPathAreNotLoaded) {
  ASSERT_TRUE(InstallInto(ProgramFolder()));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  plantedFolder_ = std::wstring(temp) + L"korvath-planted\\";
  CreateDirectoryW(plantedFolder_.c_str(), nullptr);
  ASSERT_TRUE(InstallInto(plantedFolder_));
  ASSERT_TRUE(SetCurrentDirectoryW(plantedFolder_.c_str()));
  // And first on PATH, where a plain LoadLibrary would also look.
  PathPrefix onPath(plantedFolder_);

  NvapiGpuSource source;
  EXPECT_FALSE(source.Load());
  EXPECT_EQ(LoadedLibraryPath(), L"");
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.status(), -1);
}

TEST_F(NvapiGpuSourceTest, TheSystemFolderCopyIsLoadedAndRead) {
  ASSERT_TRUE(InstallInto(ProgramFolder()));  // present too, and still not the one taken
  ASSERT_TRUE(InstallInto(SystemFolder()));
  {
    NvapiGpuSource source;
    GpuSensor sensor(source);
    ASSERT_EQ(sensor.status(), 0);
    EXPECT_EQ(Lower(FolderOf(LoadedLibraryPath())), Lower(SystemFolder()));
    EXPECT_EQ(sensor.gpuCount(), 2u);
    EXPECT_EQ(sensor.ReadGpuTemperature(), 52);
    EXPECT_EQ(sensor.ReadGpuTemperature(), 52);
  }
  // The source owns the library: gone with it.
  EXPECT_EQ(LoadedLibraryPath(), L"");
}

TEST_F(NvapiGpuSourceTest, RecordsWithAWrongVersionAreRefusedByTheDouble) {
  ASSERT_TRUE(InstallInto(SystemFolder()));
  NvapiGpuSource source;
  ASSERT_TRUE(source.Load());
  ASSERT_EQ(source.Initialize(), kGpuOk);
  EXPECT_NE(source.GetDisplayDriverVersion(0x1008B), kGpuOk);
  EXPECT_EQ(source.GetDisplayDriverVersion(kGpuDriverVersionRecordVersion), kGpuOk);
  uintptr_t display = 0;
  ASSERT_EQ(source.EnumNvidiaDisplayHandle(0, &display), kGpuOk);
  EXPECT_NE(source.EnumNvidiaDisplayHandle(1, &display), kGpuOk);
  uintptr_t gpus[kGpuMaxPhysicalGpus] = {};
  uint32_t count = 0;
  ASSERT_EQ(source.GetPhysicalGpusFromDisplay(display, gpus, &count), kGpuOk);
  ASSERT_EQ(count, 2u);
  uint32_t temperature = 0;
  EXPECT_NE(source.GetThermalSettings(gpus[0], 0, 0x10043, &temperature), kGpuOk);
  EXPECT_EQ(source.GetThermalSettings(gpus[0], 0, kGpuThermalSettingsRecordVersion, &temperature),
            kGpuOk);
  EXPECT_EQ(temperature, 47u);
}

// The double's fail_after key: a driver that stops answering mid-run. The
// sensor keeps showing the last good reading, and the failed calls come back
// as failures, not as a temperature of 0.
TEST_F(NvapiGpuSourceTest, ADriverThatStopsAnsweringLeavesTheLastGoodReading) {
  {
    std::ofstream machine(Narrow(ProgramFolder()) + "simulated-machine.ini", std::ios::trunc);
    machine << "[gpu]\ntemperatures = 47 52\nfail_after = 3\n";
  }
  ASSERT_TRUE(InstallInto(SystemFolder()));
  NvapiGpuSource source;
  GpuSensor sensor(source);
  ASSERT_EQ(sensor.status(), 0);
  for (int reading = 1; reading <= 3; ++reading) EXPECT_EQ(sensor.ReadGpuTemperature(), 52) << reading;
  uint32_t temperature = 0;
  EXPECT_NE(source.GetThermalSettings(SimulatedGpuSource::GpuHandle(1), 0, kGpuThermalSettingsRecordVersion,
                                      &temperature), kGpuOk);
  for (int reading = 4; reading <= 10; ++reading) EXPECT_EQ(sensor.ReadGpuTemperature(), 52) << reading;
  EXPECT_EQ(sensor.lastGpuTemperature(), 52);
}

TEST_F(NvapiGpuSourceTest, EveryCallFailsCleanlyWhenNothingIsLoaded) {
  NvapiGpuSource source;
  EXPECT_FALSE(source.Load());
  EXPECT_LT(source.Initialize(), 0);
  EXPECT_LT(source.GetDisplayDriverVersion(kGpuDriverVersionRecordVersion), 0);
  uintptr_t display = 0;
  EXPECT_LT(source.EnumNvidiaDisplayHandle(0, &display), 0);
  uintptr_t gpus[kGpuMaxPhysicalGpus] = {};
  uint32_t count = 0;
  EXPECT_LT(source.GetPhysicalGpusFromDisplay(display, gpus, &count), 0);
  uint32_t temperature = 0;
  EXPECT_LT(source.GetThermalSettings(0, 0, kGpuThermalSettingsRecordVersion, &temperature), 0);
}

}  // namespace
}  // namespace korvath
