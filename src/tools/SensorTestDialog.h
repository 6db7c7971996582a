// The Sensor Test window (dialog 148): routes its buttons, its timer and its
// destruction to the SensorTest logic, and opens beside the main window.
#pragma once

#include "tools/SensorTest.h"
#include "ui/Dialog.h"

namespace korvath {

class SensorTestDialog : public Dialog, private DialogTimer {
 public:
  // mainWindowRect: the main window's screen rectangle when the button was
  // pressed; the dialog opens beside it.
  SensorTestDialog(HWND parent, const RECT& mainWindowRect, MsrAccess& access, TimeSource& time, Threads& threads,
                   Desktop& desktop);

  const SensorTest& model() const { return model_; }

 protected:
  std::optional<intptr_t> HandleMessage(const WindowMessage& message) override;
  bool OnInitDialog() override;

 private:
  void OnStart() { model_.OnStart(); }
  void OnStop() { model_.OnStop(); }
  void OnDownload() { model_.OnDownload(); }
  std::optional<intptr_t> OnTimer(const WindowMessage& message);
  std::optional<intptr_t> OnDestroy(const WindowMessage& message);
  void PlaceBesideMainWindow();

  uintptr_t StartTimer(uintptr_t id, uint32_t periodMs) override;
  void KillTimer(uintptr_t id) override;
  OwnerWindow AsOwner() override { return reinterpret_cast<OwnerWindow>(Handle()); }

  RECT mainWindowRect_;
  SensorTest model_;
};

}  // namespace korvath
