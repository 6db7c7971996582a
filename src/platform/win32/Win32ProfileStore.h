// The settings file through the Windows profile functions.
#pragma once

#include <string>
#include <string_view>

#include "platform/ProfileStore.h"

namespace korvath {

class Win32ProfileStore : public ProfileStore {
 public:
  // path: a full path (SettingsPathForModule of ModuleFileName); the profile
  // functions would look for a bare name in the Windows folder.
  Win32ProfileStore(std::string path, std::string section);

  unsigned ReadInt(std::string_view key, int defaultValue) override;
  std::string ReadString(std::string_view key, std::string_view defaultValue,
                         size_t bufferSize) override;
  bool WriteString(std::string_view key, std::string_view value) override;

 private:
  std::wstring path_;
  std::wstring section_;
};

}  // namespace korvath
