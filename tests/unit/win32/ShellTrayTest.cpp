#include "platform/win32/ShellTray.h"

#include <gtest/gtest.h>

namespace korvath {
namespace {

TEST(ShellTray, RecordHasTheVersion3SizeOfThisProcess) {
  TrayIconRecord record;
  record.id = kTrayIconBaseId + 4;
  record.icon = reinterpret_cast<IconHandle>(LoadIconW(nullptr, IDI_APPLICATION));
  record.tip = " GPU ";
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  NOTIFYICONDATAW data = MakeNotifyIconData(window, record);
  EXPECT_EQ(data.cbSize, sizeof(void*) == 4 ? 952u : 968u);
  EXPECT_EQ(data.hWnd, window);
  EXPECT_EQ(data.uID, 4298u);
  EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(data.uCallbackMessage, static_cast<UINT>(WM_APP));
  EXPECT_EQ(reinterpret_cast<IconHandle>(data.hIcon), record.icon);
  EXPECT_STREQ(data.szTip, L" GPU ");
}

TEST(ShellTray, LongTipsAreCutWhereTheShellCutsThem) {
  TrayIconRecord record;
  record.tip = "Core 0:  45\xC2\xB0" "C" + std::string(200, 'x');
  NOTIFYICONDATAW data = MakeNotifyIconData(nullptr, record);
  EXPECT_EQ(wcslen(data.szTip), 127u);
  EXPECT_EQ(data.szTip[11], L'\x00B0');

  // A character outside the basic plane is not split in half.
  record.tip = std::string(126, 'a') + "\xF0\x9F\x94\xA5";
  data = MakeNotifyIconData(nullptr, record);
  EXPECT_EQ(wcslen(data.szTip), 126u);
}

}  // namespace
}  // namespace korvath
