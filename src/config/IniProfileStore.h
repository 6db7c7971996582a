// The settings file without the Windows profile functions: a reader and writer
// of one section of an INI file that behaves as GetPrivateProfileIntW,
// GetPrivateProfileStringW and WritePrivateProfileStringW do.
#pragma once

#include <string>
#include <string_view>

#include "platform/ProfileStore.h"

namespace korvath {

// The integer rule of GetPrivateProfileIntW applied to the text it got back:
// spaces, then one sign, then "0x" (hexadecimal), "0o" (octal), "0b" (binary)
// or decimal digits up to the first character that is not one; the rest is
// ignored and the value wraps modulo 2^32; a minus sign negates it.
unsigned ParseProfileInteger(std::string_view text);

class IniProfileStore : public ProfileStore {
 public:
  IniProfileStore(std::string path, std::string section);

  unsigned ReadInt(std::string_view key, int defaultValue) override;
  std::string ReadString(std::string_view key, std::string_view defaultValue,
                         size_t bufferSize) override;
  // Rewrites the whole file through a temporary file beside it, so a crash or
  // a full disk leaves the old file or the new one, never half of one.
  bool WriteString(std::string_view key, std::string_view value) override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string section_;
};

}  // namespace korvath
