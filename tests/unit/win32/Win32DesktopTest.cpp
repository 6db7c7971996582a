// The open-file picker in its own message loop, driven from a thread timer
// as a user would: the folder browsed to is the process's current folder
// while the picker is open (Windows makes it so whatever the flags), and
// the log file, named relative to it, must not follow. Needs a display;
// tests/e2e/sensor-test.sh runs it under Xvfb.
#include "platform/win32/Win32Desktop.h"

#include <gtest/gtest.h>

#include <string>

#include "config/ScratchFile.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr wchar_t kTitle[] = L"Korvath picker test";
constexpr int kFileNameBox = 1148;  // cmb13 of the file dialog template

std::wstring CurrentFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  return folder;
}

struct PickerScript {
  std::wstring browsed;
  std::wstring chosen;
  bool done = false;
};
PickerScript* script = nullptr;

void CALLBACK DriveThePicker(HWND, UINT, UINT_PTR, DWORD) {
  HWND picker = FindWindowW(nullptr, kTitle);
  if (picker == nullptr || script == nullptr || script->done) return;
  script->done = true;
  SetCurrentDirectoryW(script->browsed.c_str());
  SetDlgItemTextW(picker, kFileNameBox, script->chosen.c_str());
  PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(picker, IDOK)));
}

TEST(Win32Desktop, FilePickerLeavesTheCurrentFolderAsItWas) {
  HWND display = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!display) GTEST_SKIP() << "no display to create windows on";
  DestroyWindow(display);

  testing::ScratchFile alarm("siren.bat");
  alarm.Write("@echo off\r\n");
  std::wstring before = CurrentFolder();
  PickerScript steps{alarm.folder().wstring(), Widen(alarm.path())};
  ASSERT_NE(steps.browsed, before);
  script = &steps;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, DriveThePicker);

  Win32Desktop desktop;
  OpenFileRequest request;
  request.title = Narrow(kTitle);
  request.filter = "BAT Files (*.bat)|*.bat||";
  std::optional<std::string> chosen = desktop.PickOpenFile(request);
  KillTimer(nullptr, timer);
  script = nullptr;

  ASSERT_TRUE(steps.done) << "the picker never showed";
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(Widen(*chosen), steps.chosen);
  EXPECT_EQ(CurrentFolder(), before);
}

}  // namespace
}  // namespace korvath
