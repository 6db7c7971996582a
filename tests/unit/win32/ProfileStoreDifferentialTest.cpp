// The portable store against the Windows profile functions: both read the
// same awkward files and must agree on every key, and each must read back
// what the other wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/IniProfileStore.h"
#include "config/ScratchFile.h"
#include "platform/win32/Win32ProfileStore.h"

namespace korvath {
namespace {

using testing::ScratchFile;

struct AwkwardFile {
  const char* name;
  std::string bytes;
};

std::vector<AwkwardFile> AwkwardFiles() {
  std::string longPath = "C:\\" + std::string(600, 'p') + ".bat";
  return {
      {"empty", ""},
      {"blank lines only", "\r\n  \r\n\t\r\n"},
      {"spaces around equals", "[Korvath]\n  LogInterval   =   60  \n\tCSV\t=\t1\t\nOnTop= 1\nA =\n"},
      {"duplicate keys", "[Korvath]\nAlarm1=90\nAlarm1=80\nalarm1=70\nCSV\nCSV=1\n"},
      {"duplicate sections", "[Korvath]\nAlarm1=90\n[Other]\nCSV=1\n[Korvath]\nAlarm1=80\nOnTop=1\n[KORVATH]\nA=1\n"},
      {"hex and signs",
       "[Korvath]\nIconTextColor0=0x0000FF\nGUIColor=0XF4F3EE\nAlarm1=-1\nHDWrite=-0x10\nA=+7\nB=0x\n"
       "C=0xFFFFFFFFF\nD=- 5\nE=0b101\nF=0o17\nG=1e3\nH=12abc\nI=+-3\n"},
      {"huge numbers",
       "[Korvath]\nA=99999999999999999999\nB=4294967295\nC=4294967296\nD=-2147483649\n"
       "E=000000000000000000000000000000000001\nF=0x00000000000000000000000000000000FF\n"},
      {"comments",
       "; comment\n[Korvath]\n;Alarm1=50\n# CSV=1\nAlarm1=60 ; trailing\nLogInterval=60;x\n  ; OnTop=1\n"},
      {"CRLF", "[Korvath]\r\nAlarm1=61\r\nCSV=1\r\n"},
      {"LF", "[Korvath]\nAlarm1=62\nCSV=1"},
      {"CR only", "[Korvath]\rAlarm1=63\rCSV=1\r"},
      {"mixed endings", "[Other]\r\nAlarm1=1\n[Korvath]\rAlarm1=64\r\nCSV=1\n"},
      // Wine reads past the mark, and so does the portable store; Windows
      // finds no section in this file.
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Korvath]\nAlarm1=77\nDegreeSymbolString=\xC2\xB0" "F\n"},
      {"missing section", "[Other]\nAlarm1=60\nCSV=1\n"},
      {"keys before any section", "Alarm1=50\nCSV=1\n[Korvath]\nOnTop=1\n"},
      {"over-long values",
       "[Korvath]\nAlarmFile=" + longPath + "\nDegreeSymbolString=degrees Celsius, long\nIdle0=1.25 and more\n"},
      {"quotes",
       "[Korvath]\nAlarmFile=\"C:\\My Files\\alarm.bat\"\nDegreeSymbolString='F'\nIdle0=\"1.5\"\nA=\"\nB='x\"\n"
       "C=\"\"\nD=\"12\"\n"},
      {"section header oddities",
       "[Korvath\nA=1\n[ Korvath ]\nB=2\n[Korvath] junk\nC=3\n  [Korvath]\nD=4\n"},
      {"odd lines", "[Korvath]\n=5\nA=b=c\nB\nC = \n\x1A\nD=\x1A" "4\x1A\n"},
      {"tabs and trailing spaces", "[Korvath]\t\n\tAlarm1\t=\t91\t \nCSV = 1   \n"},
  };
}

const char* kKeys[] = {"Alarm1", "alarm1", " Alarm1 ", "CSV", "OnTop", "LogInterval", "IconTextColor0",
                       "GUIColor", "HDWrite", "A", "B", "C", "D", "E", "F", "G", "H", "I",
                       "AlarmFile", "DegreeSymbolString", "Idle0", "Missing"};

void ExpectSameReadings(const std::string& path, const std::string& what) {
  for (const char* section : {"Korvath", "Other"}) {
    IniProfileStore portable(path, section);
    Win32ProfileStore windows(path, section);
    for (const char* key : kKeys) {
      SCOPED_TRACE(what + " [" + section + "] key '" + key + "'");
      EXPECT_EQ(portable.ReadInt(key, 77), windows.ReadInt(key, 77));
      EXPECT_EQ(portable.ReadInt(key, -3), windows.ReadInt(key, -3));
      for (size_t size : {512, 30, 12, 4, 2, 1}) {
        EXPECT_EQ(portable.ReadString(key, "dflt", size), windows.ReadString(key, "dflt", size)) << size;
      }
      EXPECT_EQ(portable.ReadString(key, "", 512), windows.ReadString(key, "", 512));
      EXPECT_EQ(portable.ReadString(key, "0.0  ", 512), windows.ReadString(key, "0.0  ", 512));
    }
  }
}

TEST(ProfileStoreDifferential, BothReadAwkwardFilesAlike) {
  for (const AwkwardFile& awkward : AwkwardFiles()) {
    ScratchFile file;
    file.Write(awkward.bytes);
    ExpectSameReadings(file.path(), awkward.name);
  }
}

TEST(ProfileStoreDifferential, MissingFileReadsAsDefaults) {
  ScratchFile file;
  ExpectSameReadings(file.path(), "missing file");
}

struct Write {
  const char* key;
  const char* value;
};

const Write kWrites[] = {
    {"Alarm1", "95"},   {"LogInterval", "60"}, {"IconTextColor0", "0x0000FF"}, {"Idle0", "-1.3"},
    {"alarm1", "96"},   {"AlarmFile", ""},     {"DegreeSymbolString", "  F"},  {"CSV", "1"},
    {"AlarmFile", "C:\\Program Files\\alarm.bat"}, {"Alarm1", "-1"}, {"GUIColor", "0xF4F3EE"},
};

void WriteAll(ProfileStore& store) {
  for (const Write& write : kWrites) EXPECT_TRUE(store.WriteString(write.key, write.value)) << write.key;
}

TEST(ProfileStoreDifferential, EachReadsWhatTheOtherWrote) {
  for (const AwkwardFile& awkward : AwkwardFiles()) {
    ScratchFile byPortable;
    ScratchFile byWindows;
    byPortable.Write(awkward.bytes);
    byWindows.Write(awkward.bytes);
    IniProfileStore portable(byPortable.path(), "Korvath");
    Win32ProfileStore windows(byWindows.path(), "Korvath");
    WriteAll(portable);
    WriteAll(windows);

    // Each file reads the same through either store, and both files hold the
    // same values: the writers agree on what the file means afterwards.
    ExpectSameReadings(byPortable.path(), std::string("written by the portable store: ") + awkward.name);
    ExpectSameReadings(byWindows.path(), std::string("written by Windows: ") + awkward.name);
    for (const char* section : {"Korvath", "Other"}) {
      IniProfileStore readPortable(byPortable.path(), section);
      IniProfileStore readWindows(byWindows.path(), section);
      for (const char* key : kKeys) {
        EXPECT_EQ(readPortable.ReadString(key, "dflt", 512), readWindows.ReadString(key, "dflt", 512))
            << awkward.name << " [" << section << "] key " << key;
      }
    }
  }
}

TEST(ProfileStoreDifferential, MissingFileIsCreatedByBoth) {
  ScratchFile byPortable;
  ScratchFile byWindows;
  IniProfileStore portable(byPortable.path(), "Korvath");
  Win32ProfileStore windows(byWindows.path(), "Korvath");
  WriteAll(portable);
  WriteAll(windows);
  ASSERT_TRUE(byPortable.Exists());
  ASSERT_TRUE(byWindows.Exists());
  Win32ProfileStore windowsReadsPortable(byPortable.path(), "Korvath");
  IniProfileStore portableReadsWindows(byWindows.path(), "Korvath");
  EXPECT_EQ(windowsReadsPortable.ReadInt("Alarm1", 0), 4294967295u);
  EXPECT_EQ(portableReadsWindows.ReadInt("Alarm1", 0), 4294967295u);
  EXPECT_EQ(windowsReadsPortable.ReadString("AlarmFile", "", 512), "C:\\Program Files\\alarm.bat");
  EXPECT_EQ(portableReadsWindows.ReadString("AlarmFile", "", 512), "C:\\Program Files\\alarm.bat");
  EXPECT_EQ(windowsReadsPortable.ReadString("DegreeSymbolString", "", 12), "F");
  EXPECT_EQ(portableReadsWindows.ReadInt("IconTextColor0", 0), 255u);
}

TEST(ProfileStoreDifferential, DegreeSignWrittenByWindowsReadsBack) {
  ScratchFile file;
  Win32ProfileStore windows(file.path(), "Korvath");
  ASSERT_TRUE(windows.WriteString("DegreeSymbolString", "\xC2\xB0" "F"));
  IniProfileStore portable(file.path(), "Korvath");
  EXPECT_EQ(portable.ReadString("DegreeSymbolString", "", 12), "\xC2\xB0" "F");
}

TEST(ProfileStoreDifferential, BothRefuseLineBreaks) {
  ScratchFile file;
  file.Write("[Korvath]\r\nCSV=1\r\n");
  IniProfileStore portable(file.path(), "Korvath");
  Win32ProfileStore windows(file.path(), "Korvath");
  EXPECT_FALSE(portable.WriteString("AlarmFile", "a\r\n[Evil]\r\nCSV=0"));
  EXPECT_FALSE(windows.WriteString("AlarmFile", "a\r\n[Evil]\r\nCSV=0"));
  EXPECT_EQ(file.Read(), "[Korvath]\r\nCSV=1\r\n");
}

}  // namespace
}  // namespace korvath
