// The metrics file through the real file functions: put in place whole, and
// a missing folder, a read-only target or a target another program holds
// open costs only that write, leaving the target as it was and no temporary
// file behind.
#include "platform/win32/Win32FileWriter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "config/ScratchFile.h"
#include "monitor/MetricsFile.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

class MetricsOnDisk {
 public:
  MetricsOnDisk() : metrics(writer, target.path(), "korvath_up 1\n") {}

  bool Write(uint64_t cycles) {
    MetricsReadings readings;
    readings.cycles = cycles;
    return metrics.Write(readings);
  }
  bool Holds(uint64_t cycles) const {
    return target.Read().find("korvath_monitor_cycles_total " + std::to_string(cycles) + "\n") != std::string::npos;
  }
  bool TemporaryLeft() const { return std::filesystem::exists(target.folder() / "korvath.prom.tmp"); }
  std::wstring WidePath() const { return Widen(target.path()); }

  testing::ScratchFile target{"korvath.prom"};
  Win32FileWriter writer;
  MetricsFile metrics;
};

TEST(Win32FileWriter, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  MetricsOnDisk disk;
  ASSERT_TRUE(disk.Write(1));
  ASSERT_TRUE(disk.Write(2));
  EXPECT_EQ(disk.target.Read(), disk.metrics.Text());
  EXPECT_TRUE(disk.Holds(2));
  EXPECT_FALSE(disk.TemporaryLeft());

  Win32FileWriter writer;
  MetricsFile nowhere(writer, (disk.target.folder() / "missing" / "k.prom").string(), "");
  EXPECT_FALSE(nowhere.Write(MetricsReadings{}));
  EXPECT_FALSE(std::filesystem::exists(disk.target.folder() / "missing"));
}

TEST(Win32FileWriter, LockedTargetSkipsTheWriteUntilItIsFree) {
  MetricsOnDisk disk;
  ASSERT_TRUE(disk.Write(1));
  // A reader that does not share deletion, as a collector may open it.
  HANDLE reader = CreateFileW(disk.WidePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(disk.Write(2));
  CloseHandle(reader);
  EXPECT_TRUE(disk.Holds(1));
  EXPECT_FALSE(disk.TemporaryLeft());
  EXPECT_TRUE(disk.Write(3));
  EXPECT_TRUE(disk.Holds(3));
}

TEST(Win32FileWriter, ReadOnlyTargetIsNeverReplaced) {
  MetricsOnDisk disk;
  ASSERT_TRUE(disk.Write(1));
  ASSERT_TRUE(SetFileAttributesW(disk.WidePath().c_str(), FILE_ATTRIBUTE_READONLY));
  bool written = disk.Write(2);
  SetFileAttributesW(disk.WidePath().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(disk.TemporaryLeft());
  if (written) GTEST_SKIP() << "the read-only attribute does not stop a replacement here (Wine run by root)";
  EXPECT_TRUE(disk.Holds(1));
  EXPECT_TRUE(disk.Write(3));
}

}  // namespace
}  // namespace korvath
