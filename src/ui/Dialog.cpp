#include "ui/Dialog.h"

#include "platform/TextFormat.h"

namespace korvath {

static_assert(kWmInitDialog == WM_INITDIALOG && kWmCommand == WM_COMMAND && kWmTimer == WM_TIMER);
static_assert(kButtonClicked == BN_CLICKED && kEditChange == EN_CHANGE && kEditKillFocus == EN_KILLFOCUS);

namespace {

// These messages hand their result back as the procedure's own return
// value; every other one through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

}  // namespace

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR Dialog::RunModal() {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_, &Dialog::DialogProcedure,
                         reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) {
  if (window_) ::EndDialog(window_, result);
}

RefusalPrompt Dialog::Prompt() {
  return [this](const std::string& message) {
    MessageBoxW(window_, Widen(message).c_str(), L"Korvath", MB_OK | MB_ICONEXCLAMATION);
  };
}

bool Dialog::UpdateData(bool save) {
  return korvath::UpdateData(controls_, Prompt(), save, [this](DataExchange& exchange) { DoDataExchange(exchange); });
}

std::optional<intptr_t> Dialog::HandleMessage(const WindowMessage&) { return std::nullopt; }

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::OnOk() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

std::optional<intptr_t> Dialog::HandleDefaults(const WindowMessage& message) {
  if (message.id == WM_INITDIALOG) return OnInitDialog() ? TRUE : FALSE;
  if (message.id == WM_COMMAND && message.Notification() == BN_CLICKED) {
    if (message.ControlId() == IDOK) {
      OnOk();
      return 0;
    }
    if (message.ControlId() == IDCANCEL) {
      OnCancel();
      return 0;
    }
  }
  return std::nullopt;
}

INT_PTR Dialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  WindowMessage routed{message, wParam, lParam};
  std::optional<intptr_t> result;
  // Nothing may unwind into the system's dispatcher: a failing handler
  // counts as not having handled its message.
  try {
    result = HandleMessage(routed);
    if (!result) result = HandleDefaults(routed);
  } catch (...) {
    result.reset();
  }
  if (!result) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(*result);
  SetWindowLongPtrW(window_, DWLP_MSGRESULT, static_cast<LONG_PTR>(*result));
  return TRUE;
}

INT_PTR CALLBACK Dialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(lParam));
    auto* dialog = reinterpret_cast<Dialog*>(lParam);
    dialog->window_ = window;
    dialog->controls_.Attach(window);
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Messages before WM_INITDIALOG (WM_SETFONT) find no dialog yet.
  if (!dialog) return FALSE;
  INT_PTR result = dialog->Route(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    dialog->window_ = nullptr;
    dialog->controls_.Attach(nullptr);
  }
  return result;
}

}  // namespace korvath
