// A log folder and a file folder that take everything and keep nothing but
// counts, so that a long run stays flat and the only allocations counted are
// the monitor's own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/FileAppender.h"
#include "platform/FileWriter.h"

namespace korvath {

class DiscardingLog : public FileAppender {
 public:
  bool Append(const std::string&, std::string_view bytes) override {
    bytes_ += static_cast<long long>(bytes.size());
    return true;
  }
  long long bytes_ = 0;
};

// The whole files the metrics step writes: the last one's size and how many.
class DiscardingFiles : public FileWriter {
 public:
  bool WriteWhole(const std::string&, std::string_view bytes) override {
    lastSize = bytes.size();
    ++writes;
    return true;
  }
  bool MoveReplacing(const std::string&, const std::string&) override { return true; }
  void Remove(const std::string&) override {}
  size_t lastSize = 0;
  long long writes = 0;
};

}  // namespace korvath
