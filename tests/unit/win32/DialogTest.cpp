// The dialog framework on real windows, with the real templates. Windows
// need a display: without one (the plain unit-test run under Wine) these
// tests skip, and tests/e2e/ui-dialogs.sh runs them under Xvfb.
#include "ui/Dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/Win32Holders.h"
#include "resources/resource.h"

namespace korvath {
namespace {

bool HaveDisplay() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

#define REQUIRE_DISPLAY()                                          \
  if (!HaveDisplay()) GTEST_SKIP() << "no display to create windows on"

constexpr UINT kScript = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;

// A dialog that runs a script once it is up, then ends; the script's checks
// run inside the modal loop, on the real controls.
class ScriptedDialog : public Dialog {
 public:
  ScriptedDialog(int templateId, std::function<void(ScriptedDialog&)> script)
      : Dialog(templateId, nullptr), script_(std::move(script)) {}

  RefusalPrompt Prompt() override {
    return [this](const std::string& message) { prompts.push_back(message); };
  }

  std::vector<std::string> prompts;
  uint32_t alarm = 95;
  std::string name = "E8400";
  int throwOn = 0;
  bool okCalled = false;

 protected:
  std::optional<intptr_t> HandleMessage(const WindowMessage& message) override {
    static constexpr MessageEntry<ScriptedDialog> kMessageMap[] = {
        OnMessage(kScript, &ScriptedDialog::OnScript),
        OnMessage(kAnswer, &ScriptedDialog::OnAnswer),
        OnMessage(WM_QUERYDRAGICON, &ScriptedDialog::OnQueryDragIcon),
    };
    if (throwOn != 0 && message.id == static_cast<uint32_t>(throwOn)) throw std::runtime_error("handler failed");
    return RouteMessage(kMessageMap, *this, message);
  }

  void DoDataExchange(DataExchange& exchange) override {
    exchange.ExchangeText(IDC_IDLE_CALIBRATION0, name, 5);
    exchange.ExchangeUnsigned(IDC_ALARM_CPU, alarm);
  }

  bool OnInitDialog() override {
    Dialog::OnInitDialog();
    PostMessageW(Handle(), kScript, 0, 0);
    return true;
  }

  void OnOk() override {
    okCalled = true;
    Dialog::OnOk();
  }

 private:
  std::optional<intptr_t> OnScript(const WindowMessage&) {
    script_(*this);
    return 0;
  }
  std::optional<intptr_t> OnAnswer(const WindowMessage& message) { return static_cast<intptr_t>(message.wParam) * 2; }
  std::optional<intptr_t> OnQueryDragIcon(const WindowMessage&) { return 0x1234; }

  std::function<void(ScriptedDialog&)> script_;
};

void Click(ScriptedDialog& dialog, int id) {
  SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

TEST(Dialog, OkTakesTheControlsOnlyWhenEveryValueIsAccepted) {
  REQUIRE_DISPLAY();
  ScriptedDialog dialog(IDD_SETTINGS, [](ScriptedDialog& self) {
    ControlSurface& controls = self.Controls();
    EXPECT_EQ(controls.GetText(IDC_IDLE_CALIBRATION0), "E8400");
    EXPECT_EQ(controls.GetText(IDC_ALARM_CPU), "95");
    controls.SetText(IDC_IDLE_CALIBRATION0, "Q9650");
    controls.SetText(IDC_ALARM_CPU, "9x");
    Click(self, IDOK);
    EXPECT_TRUE(self.okCalled);
    EXPECT_EQ(self.prompts, std::vector<std::string>{"Please enter an unsigned integer."});
    EXPECT_EQ(controls.FocusedControl(), IDC_ALARM_CPU);
    EXPECT_EQ(self.name, "Q9650");
    EXPECT_EQ(self.alarm, 95u);
    EXPECT_NE(self.Handle(), nullptr);  // still open
    controls.SetText(IDC_ALARM_CPU, "88");
    Click(self, IDOK);
  });
  EXPECT_EQ(dialog.RunModal(), IDOK);
  EXPECT_EQ(dialog.alarm, 88u);
  EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(Dialog, CancelAndResultsOfHandledMessages) {
  REQUIRE_DISPLAY();
  ScriptedDialog dialog(IDD_ABOUT, [](ScriptedDialog& self) {
    EXPECT_EQ(SendMessageW(self.Handle(), kAnswer, 21, 0), 42);  // through DWLP_MSGRESULT
    EXPECT_EQ(SendMessageW(self.Handle(), WM_QUERYDRAGICON, 0, 0), 0x1234);  // returned directly
    self.alarm = 7;
    Click(self, IDCANCEL);
  });
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
  EXPECT_EQ(dialog.alarm, 7u);
}

TEST(Dialog, AFailingHandlerDoesNotTakeTheDialogDown) {
  REQUIRE_DISPLAY();
  ScriptedDialog dialog(IDD_SENSOR_TEST, [](ScriptedDialog& self) {
    self.throwOn = kAnswer;
    EXPECT_EQ(SendMessageW(self.Handle(), kAnswer, 1, 0), 0);
    self.throwOn = 0;
    EXPECT_EQ(SendMessageW(self.Handle(), kAnswer, 1, 0), 2);
    self.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
}

TEST(Dialog, ControlSurfaceOnRealControls) {
  REQUIRE_DISPLAY();
  ScriptedDialog dialog(IDD_SETTINGS, [](ScriptedDialog& self) {
    ControlSurface& controls = self.Controls();
    EXPECT_TRUE(controls.HasControl(IDC_TASK_BAR));
    EXPECT_FALSE(controls.HasControl(IDC_SENSOR_TEST));
    EXPECT_FALSE(controls.IsEnabled(IDC_TJ_MAX0));  // the template starts it disabled
    controls.Enable(IDC_TJ_MAX0, true);
    EXPECT_TRUE(controls.IsEnabled(IDC_TJ_MAX0));

    controls.SetCheck(IDC_TASK_BAR, 1);
    EXPECT_EQ(controls.GetCheck(IDC_TASK_BAR), 1);
    controls.SetText(IDC_ALARM_FILE, "C:\\Programme\\Würfel\\alarm.exe");
    EXPECT_EQ(controls.GetText(IDC_ALARM_FILE), "C:\\Programme\\Würfel\\alarm.exe");

    // The limit stops typing, not the program's own texts.
    controls.LimitText(IDC_LOG_SECONDS, 3);
    controls.SetText(IDC_LOG_SECONDS, "12345");
    EXPECT_EQ(controls.GetText(IDC_LOG_SECONDS), "12345");
    controls.SetText(IDC_LOG_SECONDS, "");
    controls.SetFocus(IDC_LOG_SECONDS);
    EXPECT_EQ(controls.FocusedControl(), IDC_LOG_SECONDS);
    HWND edit = GetDlgItem(self.Handle(), IDC_LOG_SECONDS);
    for (wchar_t c : std::wstring(L"98765")) SendMessageW(edit, WM_CHAR, c, 0);
    EXPECT_EQ(controls.GetText(IDC_LOG_SECONDS), "987");

    self.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
}

TEST(Dialog, MissingTemplateFailsTheRun) {
  ScriptedDialog dialog(4242, [](ScriptedDialog&) { ADD_FAILURE() << "ran without a template"; });
  EXPECT_EQ(dialog.RunModal(), -1);
}

}  // namespace
}  // namespace korvath
