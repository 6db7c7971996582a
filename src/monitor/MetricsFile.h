// The metrics file (MetricsFile in the settings): the readings of every
// monitor cycle for monitoring systems that collect text files, written
// beside it as "<file>.tmp" and put in its place in one step, so that a
// reader never sees half a file.
#pragma once

#include <string>
#include <string_view>

#include "monitor/MetricsText.h"
#include "platform/FileWriter.h"

namespace korvath {

// The path the setting names: as written when absolute (a drive, a root or
// a network path), otherwise taken from executableFolder (which ends with a
// separator). Empty when the setting is empty: no file is written.
std::string ResolveMetricsPath(std::string_view setting, std::string_view executableFolder);

class MetricsFile {
 public:
  // head: MetricsHead of the run.
  MetricsFile(FileWriter& files, std::string path, std::string head);

  // One cycle's file. When the folder is missing, a file is read-only or held
  // open by another program, or the disk is full, this cycle's file is
  // skipped and no temporary file is left behind; the next cycle tries again.
  // The text is built in a buffer kept from cycle to cycle.
  bool Write(const MetricsReadings& readings);
  // At exit: the file says korvath_up 0 and nothing more, so that an
  // exporter that goes on serving it shows no reading of a program that has
  // ended. Put in place as every cycle's file is.
  bool WriteStopped();

  const std::string& path() const { return path_; }
  // The text of the last Write, whether or not it reached the disk.
  const std::string& Text() const { return text_; }

 private:
  bool PutInPlace();

  FileWriter& files_;
  std::string path_;
  std::string temporaryPath_;
  std::string head_;
  std::string text_;
};

}  // namespace korvath
