// The About box on its real template: the home-page button carries its
// bitmap, and each link opens its page and closes the box as cancelled.
// Needs a display; tests/e2e/about-dialog.sh runs it under Xvfb.
#include "about/AboutDialog.h"

#include <gtest/gtest.h>

#include <functional>

#include "TestMachines.h"
#include "about/AboutLinks.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedProcessor.h"
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

}  // namespace
}  // namespace korvath
