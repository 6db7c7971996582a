#include "config/SettingsDialog.h"

#include "resources/resource.h"

namespace korvath {

static_assert(kOkButton == IDOK && kCancelButton == IDCANCEL);

SettingsDialog::SettingsDialog(HWND parent, const SettingsDialogLinks& links)
    : Dialog(IDD_SETTINGS, parent), model_(Controls(), *this, links, Prompt()) {}

std::optional<intptr_t> SettingsDialog::HandleMessage(const WindowMessage& message) {
  // Every button of the template but the two check boxes below the bottom
  // buttons lies between the first two ids; OK and Cancel come through OnOk
  // and OnCancel.
  static constexpr MessageEntry<SettingsDialog> kMessageMap[] = {
      OnCommandRange(IDC_CUSTOM_NORMAL, IDC_GPU_COLOR, kButtonClicked, &SettingsDialog::OnButton),
      OnCommandRange(IDC_START_WITH_WINDOWS, IDC_HOTTEST_DISPLAY, kButtonClicked, &SettingsDialog::OnButton),
      OnCommandRange(IDC_TJ_MAX0, IDC_ALARM_GPU, kEditChange, &SettingsDialog::OnEditChange),
      OnCommandRange(IDC_TJ_MAX0, IDC_ALARM_GPU, kEditKillFocus, &SettingsDialog::OnEditKillFocus),
  };
  return RouteMessage(kMessageMap, *this, message);
}

bool SettingsDialog::OnInitDialog() {
  model_.OnInitDialog();
  return true;
}

void SettingsDialog::OnOk() { model_.OnOK(); }
void SettingsDialog::OnCancel() { model_.OnCancel(); }
void SettingsDialog::OnButton(int id) { model_.OnClicked(id); }

void SettingsDialog::OnEditChange(int id) {
  // Texts the dialog sets itself change the edits too; only typing, which
  // happens in the focused edit, makes the settings worth applying.
  if (GetFocus() == GetDlgItem(Handle(), id)) model_.OnEditChange(id);
}

void SettingsDialog::OnEditKillFocus(int id) { model_.OnEditKillFocus(id); }

WindowRect SettingsDialog::GetWindowRect() {
  RECT rect{};
  ::GetWindowRect(Handle(), &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void SettingsDialog::MoveTo(ScreenPoint topLeft) {
  SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void SettingsDialog::SetTopmost(bool topmost) {
  SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

int SettingsDialog::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

void SettingsDialog::End(bool ok) { EndDialog(ok ? IDOK : IDCANCEL); }

OwnerWindow SettingsDialog::AsOwner() { return reinterpret_cast<OwnerWindow>(Handle()); }

}  // namespace korvath
