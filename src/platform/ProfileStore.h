// The seam to the settings file: one section of one INI file, with the
// semantics of the Windows profile functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvath {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  // GetPrivateProfileIntW: the value as an unsigned number, defaultValue when
  // the key is absent. Texts are UTF-8.
  virtual unsigned ReadInt(std::string_view key, int defaultValue) = 0;
  // GetPrivateProfileStringW with a buffer of bufferSize characters
  // (terminator included), so at most bufferSize - 1 characters come back.
  virtual std::string ReadString(std::string_view key, std::string_view defaultValue,
                                 size_t bufferSize) = 0;
  // WritePrivateProfileStringW; false when the file could not be written.
  virtual bool WriteString(std::string_view key, std::string_view value) = 0;
};

}  // namespace korvath
