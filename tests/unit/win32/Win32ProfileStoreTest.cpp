// The settings file through the Windows profile functions when it cannot be
// written: marked read-only, or held open without sharing by another
// program. Writes report failure and leave the file as it was; once the
// obstacle is gone the next write goes through.
#include "platform/win32/Win32ProfileStore.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "config/ScratchFile.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr char kSettings[] = "[Korvath]\r\nAlarm1=88\r\nIconShow=19\r\n";

TEST(Win32ProfileStore, ReadOnlySettingsFileIsReadButNeverChanged) {
  testing::ScratchFile file;
  file.Write(kSettings);
  std::wstring path = Widen(file.path());
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute in the Unix permissions, which do not stop root.
  HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer != INVALID_HANDLE_VALUE) {
    CloseHandle(writer);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "the read-only attribute does not stop writes for this user";
  }
  Win32ProfileStore store(file.path(), "Korvath");
  EXPECT_EQ(store.ReadInt("Alarm1", 100), 88u);
  EXPECT_FALSE(store.WriteString("IconShow", "1"));
  EXPECT_EQ(file.Read(), kSettings);

  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(store.WriteString("IconShow", "1"));
  EXPECT_EQ(store.ReadInt("IconShow", 0), 1u);
  EXPECT_EQ(store.ReadInt("Alarm1", 100), 88u);
}

TEST(Win32ProfileStore, LockedSettingsFileReadsAsDefaultsAndKeepsItsContent) {
  testing::ScratchFile file;
  file.Write(kSettings);
  Win32ProfileStore store(file.path(), "Korvath");
  HANDLE lock = CreateFileW(Widen(file.path()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  // What start-up sees while another program holds the file: the defaults.
  EXPECT_EQ(store.ReadInt("Alarm1", 100), 100u);
  EXPECT_FALSE(store.WriteString("IconShow", "1"));
  CloseHandle(lock);
  EXPECT_EQ(file.Read(), kSettings);
  EXPECT_EQ(store.ReadInt("Alarm1", 100), 88u);
  EXPECT_TRUE(store.WriteString("IconShow", "1"));
  EXPECT_EQ(store.ReadInt("IconShow", 0), 1u);
}

}  // namespace
}  // namespace korvath
