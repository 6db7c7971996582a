// The temperature log: one line per logging second kept in memory, written in
// blocks to "KorvathLog.txt" or "KorvathLog.csv" beside the executable.
#pragma once

#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/AppSettings.h"
#include "platform/FileAppender.h"

namespace korvath {

inline constexpr const char* kTextLogName = "KorvathLog.txt";
inline constexpr const char* kCsvLogName = "KorvathLog.csv";

class TemperatureLog {
 public:
  // folder: the executable's folder, where the two files live; empty keeps
  // the bare names (simulated runs).
  TemperatureLog(const AppSettings& settings, FileAppender& files, std::string_view folder = {});

  // The log step of a monitor cycle: on whole multiples of LogInterval seconds
  // of the day, appends a line with the temperatures of the present core slots
  // (slot order), then those of the packages where the processor has a
  // package sensor, and writes the buffer on multiples of HDWrite.
  void Step(const std::tm& now, std::span<const int> presentTemperatures,
            std::span<const std::optional<int>> packageTemperatures = {});

  // Converts the whole buffer to the current format and appends it to the
  // file. The buffer is emptied only when the file took all of it; otherwise
  // it stays (converted) for the next write. Also the flush at shutdown.
  void WriteLogBuffer();

  const std::string& Buffer() const { return logBuffer_; }
  const std::string& textPath() const { return textPath_; }
  const std::string& csvPath() const { return csvPath_; }

  // Appends one line ("%x %H:%M:%S" and " %d" per temperature, then "\n").
  // A package not read this cycle leaves its column empty (" " alone), so
  // the columns after it stay in place.
  static void AppendLine(std::string& out, const std::tm& now, std::span<const int> presentTemperatures,
                         std::span<const std::optional<int>> packageTemperatures = {});

 private:
  const AppSettings& settings_;
  FileAppender& files_;
  // Made whole at start-up: a file picker changes the current folder while
  // the monitor keeps logging.
  std::string textPath_;
  std::string csvPath_;
  std::string logBuffer_;  // lines end with "\n"; CR LF only on disk
  // The block as it goes to disk; kept between writes so that its storage
  // is reused rather than allocated anew for every block.
  std::string diskBlock_;
};

}  // namespace korvath
