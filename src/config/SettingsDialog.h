// The Settings dialog (template 147) over Win32: routes the controls'
// notifications to SettingsDialogModel and gives it the window's placement,
// z-order and end.
#pragma once

#include "config/SettingsDialogModel.h"
#include "ui/Dialog.h"

namespace korvath {

class SettingsDialog : public Dialog, private SettingsDialogWindow {
 public:
  SettingsDialog(HWND parent, const SettingsDialogLinks& links);

 protected:
  std::optional<intptr_t> HandleMessage(const WindowMessage& message) override;
  bool OnInitDialog() override;
  void OnOk() override;
  void OnCancel() override;

 private:
  void OnButton(int id);
  void OnEditChange(int id);
  void OnEditKillFocus(int id);

  WindowRect GetWindowRect() override;
  void MoveTo(ScreenPoint topLeft) override;
  void SetTopmost(bool topmost) override;
  int ScreenWidth() override;
  void End(bool ok) override;
  OwnerWindow AsOwner() override;

  SettingsDialogModel model_;
};

}  // namespace korvath
