// The settings file through the Windows profile functions when it cannot be
// written: marked read-only, or held open without sharing by another
// program. Writes report failure and leave the file as it was; once the
// obstacle is gone the next write goes through. And a file in UTF-16.
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

// The encoding the documentation recommends for characters beyond the code
// page: UTF-16 LE with its byte-order mark is read, and stays UTF-16 when
// written. (Windows and Wine agree here; on a UTF-8 mark they do not.)
TEST(Win32ProfileStore, Utf16SettingsFileIsReadAndKeptInUtf16) {
  testing::ScratchFile file;
  std::u16string text = u"\xFEFF[Korvath]\r\nDegreeSymbolString=\x00B0" u"F\r\nAlarm1=88\r\n";
  file.Write(std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)));
  Win32ProfileStore store(file.path(), "Korvath");
  EXPECT_EQ(store.ReadString("DegreeSymbolString", "", 12), "\xC2\xB0" "F");
  EXPECT_EQ(store.ReadInt("Alarm1", 100), 88u);

  ASSERT_TRUE(store.WriteString("LogInterval", "60"));
  std::string bytes = file.Read();
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(bytes.substr(2, 2), std::string("[\0", 2));
  EXPECT_EQ(store.ReadString("DegreeSymbolString", "", 12), "\xC2\xB0" "F");
  EXPECT_EQ(store.ReadInt("LogInterval", 5), 60u);
}

}  // namespace
}  // namespace korvath
