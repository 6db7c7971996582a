#include "monitor/TemperatureLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/StdFileAppender.h"
#include "platform/TextFormat.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedFiles.h"

namespace korvath {
namespace {

std::tm At(int hour, int minute, int second, int day = 5) {
  std::tm time = {};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 11;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return SecondsToCivil(CivilToSeconds(time));
}

std::tm AtSecondOfDay(int second) { return At(second / 3600, second / 60 % 60, second % 60); }

std::vector<std::string> Lines(const std::string& file) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < file.size()) {
    size_t end = file.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(file.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

struct LogRig {
  LogRig() { settings.logFile = true; }
  void RunSeconds(int first, int last) {
    for (int s = first; s <= last; ++s) {
      int temperatures[] = {s % 60, 40};
      log.Step(AtSecondOfDay(s), temperatures);
    }
  }
  std::vector<std::string> TextLines() { return Lines(files.Read(kTextLogName)); }

  AppSettings settings;
  SimulatedFiles files;
  TemperatureLog log{settings, files};
};

TEST(TemperatureLog, LineHasDateTimeAndPresentSlotsOnly) {
  int temperatures[] = {45, 47, -3};
  std::string lines;
  TemperatureLog::AppendLine(lines, At(18, 41, 20), temperatures);
  TemperatureLog::AppendLine(lines, At(0, 0, 5), {});
  EXPECT_EQ(lines, "12/05/26 18:41:20 45 47 -3\n12/05/26 00:00:05\n");
}

TEST(TemperatureLog, LinesEveryFiveSecondsWrittenEachFullMinute) {
  LogRig rig;
  rig.RunSeconds(12 * 3600, 12 * 3600 + 59);
  // Written at 12:00:00 with its own line; the rest of the minute waits.
  ASSERT_EQ(rig.TextLines(), std::vector<std::string>{"12/05/26 12:00:00 0 40"});
  EXPECT_EQ(rig.files.Calls(), 1);
  EXPECT_EQ(std::count(rig.log.Buffer().begin(), rig.log.Buffer().end(), '\n'), 11);

  rig.RunSeconds(12 * 3600 + 60, 12 * 3600 + 60);
  std::vector<std::string> lines = rig.TextLines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[1], "12/05/26 12:00:05 5 40");
  EXPECT_EQ(lines[12], "12/05/26 12:01:00 0 40");
  EXPECT_TRUE(rig.log.Buffer().empty());
}

TEST(TemperatureLog, WriteIntervalIsOnlyTestedOnLoggingSeconds) {
  LogRig rig;
  rig.settings.hdWrite = 7;
  rig.RunSeconds(1, 200);
  std::vector<std::string> lines = rig.TextLines();
  // Writes at 35, 70, 105, 140, 175: the lines up to 175 are on disk.
  ASSERT_EQ(lines.size(), 35u);
  EXPECT_EQ(lines.back(), "12/05/26 00:02:55 55 40");
  EXPECT_EQ(rig.files.Calls(), 5);
}

TEST(TemperatureLog, FormatFollowsCsvAtWriteTimeForTheWholeBuffer) {
  LogRig rig;
  rig.settings.hdWrite = 3600;
  int temperatures[] = {45, 47};
  rig.log.Step(At(18, 41, 20), temperatures);
  rig.settings.csv = true;
  rig.log.WriteLogBuffer();
  EXPECT_EQ(rig.files.Read(kCsvLogName), "12/05/26,18:41:20,45,47\r\n");

  // A buffer converted for CSV but not yet written goes back to blanks when
  // CSV is switched off before the next write.
  rig.files.SetFolderMissing("");
  rig.log.Step(At(18, 41, 25), temperatures);
  rig.log.WriteLogBuffer();
  EXPECT_EQ(rig.log.Buffer(), "12/05/26,18:41:25,45,47\n");
  rig.settings.csv = false;
  rig.files.SetFolderMissing("", false);
  rig.log.Step(At(18, 41, 30), temperatures);
  rig.log.WriteLogBuffer();
  EXPECT_EQ(rig.files.Read(kTextLogName), "12/05/26 18:41:25 45 47\r\n12/05/26 18:41:30 45 47\r\n");
  EXPECT_EQ(rig.files.Read(kCsvLogName), "12/05/26,18:41:20,45,47\r\n");
}

TEST(TemperatureLog, UnwritableFolderLosesAndRepeatsNothing) {
  LogRig rig;
  rig.settings.logInterval = 1;
  rig.settings.hdWrite = 10;
  rig.files.SetFolderMissing("");
  rig.RunSeconds(0, 35);  // three failed writes
  EXPECT_EQ(rig.files.Calls(), 4);
  EXPECT_TRUE(rig.files.Files().empty());
  rig.files.SetFolderMissing("", false);
  rig.RunSeconds(36, 50);
  std::vector<std::string> lines = rig.TextLines();
  ASSERT_EQ(lines.size(), 51u);
  for (int s = 0; s <= 50; ++s) EXPECT_EQ(lines[s].substr(9, 8), Format("00:00:%02d", s));
  EXPECT_TRUE(rig.log.Buffer().empty());
  rig.log.WriteLogBuffer();  // nothing pending, nothing written
  EXPECT_EQ(rig.files.Calls(), 6);
}

TEST(TemperatureLog, SimulatedDayWritesEveryLoggingSecondOnce) {
  LogRig rig;
  // The timer runs a little slow and sometimes twice in a second: a skipped
  // second has no line, a repeated one has two.
  std::vector<int> seen;
  for (int s = 0; s < 86400; ++s) {
    if (s % 997 == 0) continue;
    seen.push_back(s);
    if (s % 1009 == 0) seen.push_back(s);
  }
  for (int s : seen) {
    int temperatures[] = {50};
    rig.log.Step(AtSecondOfDay(s), temperatures);
  }
  rig.log.WriteLogBuffer();  // the flush at exit
  std::vector<std::string> expected;
  int writes = 1;  // the flush: 23:59:55 is not a write second
  for (int s : seen) {
    if (s % 5 == 0) expected.push_back(Format("12/05/26 %02d:%02d:%02d 50", s / 3600, s / 60 % 60, s % 60));
    writes += s % 60 == 0;
  }
  EXPECT_EQ(rig.TextLines(), expected);
  EXPECT_EQ(rig.files.Calls(), writes);
}

class StdFileAppenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("korvath-log-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  std::filesystem::path folder;
};

TEST_F(StdFileAppenderTest, AppendsBytesUnchangedAndNeverTruncates) {
  std::filesystem::path path = folder / "KorvathLog.txt";
  std::ofstream(path, std::ios::binary) << "earlier\r\n";
  StdFileAppender appender;
  EXPECT_TRUE(appender.Append(path.string(), "a 1\r\n"));
  EXPECT_TRUE(appender.Append(path.string(), "b 2\r\n"));
  EXPECT_EQ(Read(path), "earlier\r\na 1\r\nb 2\r\n");
}

// A log that has grown past what a 32-bit offset can name (a sparse file, so
// the test costs no disk) still takes its lines at the end.
TEST_F(StdFileAppenderTest, LogPastFourGibibytesStillGrows) {
  std::filesystem::path path = folder / "KorvathLog.txt";
  std::ofstream(path, std::ios::binary) << "x";
  constexpr std::uintmax_t kLarge = (5ull << 30) + 7;
  std::error_code error;
  std::filesystem::resize_file(path, kLarge, error);
  if (error) GTEST_SKIP() << "no large files here: " << error.message();
  StdFileAppender appender;
  EXPECT_TRUE(appender.Append(path.string(), "c 3\r\n"));
  EXPECT_EQ(std::filesystem::file_size(path), kLarge + 5);
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(kLarge));
  std::string tail(5, '\0');
  in.read(tail.data(), 5);
  EXPECT_EQ(tail, "c 3\r\n");
}

TEST_F(StdFileAppenderTest, MissingFolderIsAFailure) {
  StdFileAppender appender;
  EXPECT_FALSE(appender.Append((folder / "gone" / "KorvathLog.txt").string(), "x\r\n"));
}

}  // namespace
}  // namespace korvath
