// FileAppender over the C runtime's files, for Windows and Linux alike.
#pragma once

#include "platform/FileAppender.h"

namespace korvath {

class StdFileAppender : public FileAppender {
 public:
  bool Append(const std::string& path, std::string_view bytes) override;
};

}  // namespace korvath
