#include "config/IniProfileStore.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/ScratchFile.h"

namespace korvath {
namespace {

using testing::ScratchFile;

TEST(ParseProfileInteger, SignsPrefixesAndTrailingText) {
  struct Case {
    const char* text;
    unsigned value;
  } cases[] = {
      {"42", 42},           {"  42", 42},        {"+42", 42},          {"-1", 4294967295u},
      {"-0x10", 0xFFFFFFF0u}, {"0x0000FF", 255},  {"0xf4f3ee", 0xF4F3EE}, {"0X1F", 0},
      {"0b101", 5},         {"0o17", 15},        {"0x", 0},            {"12abc", 12},
      {"abc", 0},           {"- 5", 0},          {"4294967296", 0},    {"99999999999", 1215752191u},
      {"007", 7},           {"1 2", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseProfileInteger(c.text), c.value) << c.text;
}

TEST(IniProfileStore, FindsKeysOfTheFirstMatchingSectionIgnoringCase) {
  ScratchFile file;
  file.Write("Alarm1=1\n"
             "[Other]\nAlarm1=2\n"
             "[korvath]\n  alarm1  =  3  \nALARM1=4\n; OnTop=1\nLogInterval\n"
             "[KORVATH]\nCSV=1\n");
  IniProfileStore store(file.path(), "Korvath");
  EXPECT_EQ(store.ReadInt("Alarm1", 100), 3u);
  // A key of a later copy of the section is not seen, nor is a comment.
  EXPECT_EQ(store.ReadInt("CSV", 7), 7u);
  EXPECT_EQ(store.ReadInt("OnTop", 9), 9u);
  // A key without "=" is there but has no value: the default comes back.
  EXPECT_EQ(store.ReadInt("LogInterval", 5), 5u);
}

TEST(IniProfileStore, EmptyValuesAndMissingFiles) {
  ScratchFile file;
  IniProfileStore store(file.path(), "Korvath");
  EXPECT_EQ(store.ReadInt("HDWrite", 60), 60u);
  EXPECT_EQ(store.ReadString("Idle0", "0.0", 512), "0.0");
  file.Write("[Korvath]\nHDWrite=\nAlarmFile=\n");
  EXPECT_EQ(store.ReadInt("HDWrite", 60), 60u);
  EXPECT_EQ(store.ReadString("AlarmFile", "none", 512), "");
  // Trailing blanks of a default are dropped.
  EXPECT_EQ(store.ReadString("Missing", "x  ", 512), "x");
}

// The last file starts with a UTF-8 byte-order mark. The portable store reads
// past it as Wine's profile functions do; Windows' own do not: they take the
// mark for part of the first line, find no "[Korvath]" and give every key its
// default. That is why the settings documentation advises ANSI or UTF-16 LE.
TEST(IniProfileStore, LineEndingsAndByteOrderMark) {
  for (const char* text : {"[Korvath]\r\nCSV=1\r\nOnTop=2\r\n", "[Korvath]\nCSV=1\nOnTop=2",
                           "[Korvath]\rCSV=1\rOnTop=2\r", "\xEF\xBB\xBF[Korvath]\nCSV=1\nOnTop=2\n"}) {
    ScratchFile file;
    file.Write(text);
    IniProfileStore store(file.path(), "Korvath");
    EXPECT_EQ(store.ReadInt("CSV", 0), 1u) << text;
    EXPECT_EQ(store.ReadInt("OnTop", 0), 2u) << text;
  }
}

TEST(IniProfileStore, ValuesAreUnquotedAndCutAtTheBufferSize) {
  ScratchFile file;
  file.Write("[Korvath]\nAlarmFile=\"C:\\a b\\alarm.bat\"\nDegreeSymbolString=degrees Celsius\n"
             "Half='x\nDegree=\xC2\xB0" "F\n");
  IniProfileStore store(file.path(), "Korvath");
  EXPECT_EQ(store.ReadString("AlarmFile", "", 512), "C:\\a b\\alarm.bat");
  EXPECT_EQ(store.ReadString("DegreeSymbolString", "", 12), "degrees Cel");
  EXPECT_EQ(store.ReadString("Half", "", 12), "'x");
  EXPECT_EQ(store.ReadString("Degree", "", 12), "\xC2\xB0" "F");
  EXPECT_EQ(store.ReadString("Degree", "", 2), "\xC2\xB0");
  EXPECT_EQ(store.ReadString("Degree", "", 0), "");
}

TEST(IniProfileStore, ByteThatIsNotUtf8IsReadAsOneCharacter) {
  ScratchFile file;
  file.Write("[Korvath]\nDegreeSymbolString=\xB0" "C\n");
  IniProfileStore store(file.path(), "Korvath");
  EXPECT_EQ(store.ReadString("DegreeSymbolString", "", 12), "\xC2\xB0" "C");
}

TEST(IniProfileStore, WritingCreatesTheFileAndSection) {
  ScratchFile file;
  IniProfileStore store(file.path(), "Korvath");
  ASSERT_TRUE(store.WriteString("LogInterval", "60"));
  ASSERT_TRUE(store.WriteString("AlarmFile", "  C:\\alarm.bat"));
  EXPECT_EQ(file.Read(), "[Korvath]\r\nLogInterval=60\r\nAlarmFile=C:\\alarm.bat\r\n");
  EXPECT_EQ(store.ReadInt("LogInterval", 5), 60u);
}

TEST(IniProfileStore, WritingKeepsEverythingElse) {
  ScratchFile file;
  file.Write("\xEF\xBB\xBF; my settings\n[Other]\nLogInterval=1\n\n[Korvath]\n; keep me\n"
             "logInterval = 5 \nCSV=1\n\n[Tail]\nx=y\n");
  IniProfileStore store(file.path(), "Korvath");
  ASSERT_TRUE(store.WriteString("LogInterval", "60"));
  ASSERT_TRUE(store.WriteString("OnTop", "1"));
  EXPECT_EQ(file.Read(), "\xEF\xBB\xBF; my settings\n[Other]\nLogInterval=1\n\n[Korvath]\n; keep me\n"
                         "logInterval=60\nCSV=1\nOnTop=1\n\n[Tail]\nx=y\n");
  IniProfileStore other(file.path(), "Other");
  EXPECT_EQ(other.ReadInt("LogInterval", 5), 1u);
}

TEST(IniProfileStore, RefusesTextThatWouldBreakTheFile) {
  ScratchFile file;
  file.Write("[Korvath]\nCSV=1\n");
  IniProfileStore store(file.path(), "Korvath");
  EXPECT_FALSE(store.WriteString("AlarmFile", "x\r\n[Evil]"));
  EXPECT_FALSE(store.WriteString("Alarm\n1", "5"));
  EXPECT_FALSE(store.WriteString("A=B", "5"));
  EXPECT_FALSE(store.WriteString("", "5"));
  EXPECT_EQ(file.Read(), "[Korvath]\nCSV=1\n");
}

TEST(IniProfileStore, FailedWriteReportsFalseAndLeavesNoTemporaryFile) {
  ScratchFile file;
  IniProfileStore missingFolder((file.folder() / "no-such-folder" / "k.ini").string(), "Korvath");
  EXPECT_FALSE(missingFolder.WriteString("CSV", "1"));

  IniProfileStore store(file.path(), "Korvath");
  ASSERT_TRUE(store.WriteString("CSV", "1"));
  ASSERT_TRUE(store.WriteString("CSV", "0"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file.folder())) ++entries;
  EXPECT_EQ(entries, 1);

  IniProfileStore nowhere("", "Korvath");
  EXPECT_EQ(nowhere.ReadInt("CSV", 3), 3u);
  EXPECT_FALSE(nowhere.WriteString("CSV", "1"));
}

}  // namespace
}  // namespace korvath
