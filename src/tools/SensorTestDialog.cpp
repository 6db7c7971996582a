#include "tools/SensorTestDialog.h"

#include "resources/resource.h"

namespace korvath {

SensorTestDialog::SensorTestDialog(HWND parent, const RECT& mainWindowRect, MsrAccess& access, TimeSource& time,
                                   Threads& threads, Desktop& desktop)
    : Dialog(IDD_SENSOR_TEST, parent),
      mainWindowRect_(mainWindowRect),
      model_(access, time, threads, desktop, Controls(), *this) {}

std::optional<intptr_t> SensorTestDialog::HandleMessage(const WindowMessage& message) {
  static constexpr MessageEntry<SensorTestDialog> kMessageMap[] = {
      OnCommand(IDC_START, kButtonClicked, &SensorTestDialog::OnStart),
      OnCommand(IDC_STOP, kButtonClicked, &SensorTestDialog::OnStop),
      OnCommand(IDC_DOWNLOAD_PRIME95, kButtonClicked, &SensorTestDialog::OnDownload),
      OnMessage(kWmTimer, &SensorTestDialog::OnTimer),
      OnMessage(static_cast<uint32_t>(WM_DESTROY), &SensorTestDialog::OnDestroy),
  };
  return RouteMessage(kMessageMap, *this, message);
}

bool SensorTestDialog::OnInitDialog() {
  bool result = Dialog::OnInitDialog();
  // The movement test runs before the dialog first shows.
  model_.OnInitDialog();
  PlaceBesideMainWindow();
  return result;
}

std::optional<intptr_t> SensorTestDialog::OnTimer(const WindowMessage&) {
  model_.OnTimer();
  return std::nullopt;
}

std::optional<intptr_t> SensorTestDialog::OnDestroy(const WindowMessage&) {
  model_.OnDestroy();
  return std::nullopt;
}

void SensorTestDialog::PlaceBesideMainWindow() {
  RECT own = {};
  if (!GetWindowRect(Handle(), &own)) return;
  WindowRect placed = korvath::PlaceBesideMainWindow(
      {mainWindowRect_.left, mainWindowRect_.top, mainWindowRect_.right, mainWindowRect_.bottom},
      {own.left, own.top, own.right, own.bottom}, GetSystemMetrics(SM_CXSCREEN));
  SetWindowPos(Handle(), nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

uintptr_t SensorTestDialog::StartTimer(uintptr_t id, uint32_t periodMs) {
  return Handle() ? SetTimer(Handle(), id, periodMs, nullptr) : 0;
}

void SensorTestDialog::KillTimer(uintptr_t id) {
  if (Handle()) ::KillTimer(Handle(), id);
}

}  // namespace korvath
