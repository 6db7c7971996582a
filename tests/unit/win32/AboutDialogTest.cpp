// The About box on its real template: the home-page button carries its
// bitmap, and each link opens its page and closes the box as cancelled; and
// the version the executable carries.
// Needs a display; tests/e2e/about-dialog.sh runs it under Xvfb.
#include "about/AboutDialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string_view>

#include "TestMachines.h"
#include "about/AboutLinks.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedProcessor.h"
#include "resources/Version.h"
#include "resources/resource.h"

namespace korvath {
namespace {

bool HaveDisplay() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                               nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

constexpr UINT kScript = WM_APP + 1;
constexpr UINT kGuard = WM_APP + 2;

// Runs a script inside the modal loop once the box is up.
class ScriptedAbout : public AboutDialog {
 public:
  ScriptedAbout(std::function<void(ScriptedAbout&)> script, Desktop& desktop, Processor& processor)
      : AboutDialog(nullptr, desktop, processor), script_(std::move(script)) {}

 protected:
  std::optional<intptr_t> HandleMessage(const WindowMessage& message) override {
    if (message.id == kScript) {
      script_(*this);
      return 0;
    }
    if (message.id == kGuard) {
      EndDialog(IDOK);
      return 0;
    }
    return AboutDialog::HandleMessage(message);
  }
  bool OnInitDialog() override {
    bool result = AboutDialog::OnInitDialog();
    PostMessageW(Handle(), kScript, 0, 0);
    return result;
  }

 private:
  std::function<void(ScriptedAbout&)> script_;
};

void Click(Dialog& dialog, int id) {
  SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

TEST(AboutDialog, EachLinkOpensItsPageAndClosesTheBoxAsCancelled) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display to create windows on";
  SimulatedProcessor processor(testing::LoadMachine("e8400"));
  struct Case {
    int button;
    std::string opened;
  } cases[] = {
      {IDC_HOME_PAGE, std::string("open ") + kHomePageAddress},
      {IDC_SPEC_FINDER, "open " + SpecFinderAddress("E8400")},
  };
  for (const Case& c : cases) {
    SimulatedDesktop desktop;
    desktop.shellFinds = false;  // the shell's failure is not reported
    ScriptedAbout about(
        [&](ScriptedAbout& self) {
          HWND button = GetDlgItem(self.Handle(), IDC_HOME_PAGE);
          EXPECT_NE(SendMessageW(button, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
          Click(self, c.button);
          // A box that ended leaves its loop before this reaches it; one that
          // stayed open is ended with IDOK, so the test fails instead of hanging.
          PostMessageW(self.Handle(), kGuard, 0, 0);
        },
        desktop, processor);
    EXPECT_EQ(about.RunModal(), IDCANCEL);
    EXPECT_EQ(desktop.Events(), (std::vector<std::string>{c.opened}));
    EXPECT_EQ(about.Handle(), nullptr);
  }
}

// The executable carries the one version: the version resource's numbers
// and the manifest's identity both come from CMake's.
TEST(AboutDialog, ExecutableCarriesTheOneVersion) {
  HRSRC version = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  ASSERT_NE(version, nullptr);
  std::string_view block(static_cast<const char*>(LockResource(LoadResource(nullptr, version))),
                         SizeofResource(nullptr, version));
  size_t fixed = block.find("\xBD\x04\xEF\xFE");  // VS_FIXEDFILEINFO's signature
  ASSERT_NE(fixed, std::string_view::npos);
  ASSERT_LE(fixed + sizeof(VS_FIXEDFILEINFO), block.size());
  VS_FIXEDFILEINFO info{};
  std::memcpy(&info, block.data() + fixed, sizeof(info));
  EXPECT_EQ(info.dwFileVersionMS, static_cast<DWORD>(MAKELONG(KORVATH_VERSION_MINOR, KORVATH_VERSION_MAJOR)));
  EXPECT_EQ(info.dwFileVersionLS, static_cast<DWORD>(MAKELONG(KORVATH_RELEASE_CANDIDATE, KORVATH_VERSION_PATCH)));
  EXPECT_EQ(info.dwProductVersionMS, info.dwFileVersionMS);

  HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  std::string_view text(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))),
                        SizeofResource(nullptr, manifest));
  EXPECT_NE(text.find("name=\"Korvath.Korvath\" version=\"" KORVATH_FILE_VERSION_TEXT "\""), std::string_view::npos);
  EXPECT_STREQ(KORVATH_FILE_VERSION_TEXT, "2.90.0.8");
}

}  // namespace
}  // namespace korvath
