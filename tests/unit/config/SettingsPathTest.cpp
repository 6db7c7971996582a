#include "config/SettingsPath.h"

#include <gtest/gtest.h>

namespace korvath {
namespace {

TEST(SettingsPath, OnlyTheFileNamesExtensionChanges) {
  struct Case {
    const char* module;
    const char* settings;
  } cases[] = {
      {"C:\\Program Files\\Korvath\\korvath.exe", "C:\\Program Files\\Korvath\\korvath.ini"},
      {"C:\\tools.exe\\korvath.exe", "C:\\tools.exe\\korvath.ini"},
      {"C:\\K\\KORVATH.EXE", "C:\\K\\KORVATH.ini"},
      {"C:\\K\\my.exe.build.exe", "C:\\K\\my.exe.build.ini"},
      {"C:\\K\\korvath.bin", "C:\\K\\korvath.bin.ini"},
      {"C:\\K\\korvath", "C:\\K\\korvath.ini"},
      {"C:\\K\\korvath.ini", "C:\\K\\korvath.ini.ini"},
      {"C:\\K.exe\\.exe", "C:\\K.exe\\.exe.ini"},
      {"/opt/k/korvath.exe", "/opt/k/korvath.ini"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SettingsPathForModule(c.module), c.settings) << c.module;
}

}  // namespace
}  // namespace korvath
