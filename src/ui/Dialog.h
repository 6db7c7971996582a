// Base of every Korvath window: a dialog template run modally, its
// messages routed to the derived class's message map, default OK and
// Cancel handling, and data exchange over its controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "ui/DataExchange.h"
#include "ui/MessageMap.h"
#include "ui/Win32ControlSurface.h"

namespace korvath {

class Dialog {
 public:
  Dialog(int templateId, HWND parent);
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the dialog from the executable's template and runs its message
  // loop until EndDialog; -1 when the dialog could not be created.
  INT_PTR RunModal();
  void EndDialog(INT_PTR result);

  // Null outside the modal run.
  HWND Handle() const { return window_; }
  ControlSurface& Controls() { return controls_; }
  // A warning message box owned by this dialog.
  virtual RefusalPrompt Prompt();
  // All of DoDataExchange in one direction; false when a value was refused.
  bool UpdateData(bool save);

 protected:
  // The derived class's message map, asked before the defaults below.
  // Nothing means "not mine".
  virtual std::optional<intptr_t> HandleMessage(const WindowMessage& message);
  virtual void DoDataExchange(DataExchange& exchange);
  // Moves the members into the controls; true leaves the focus to the
  // dialog manager.
  virtual bool OnInitDialog();
  // Enter and the IDOK button: ends with IDOK once the members took the controls.
  virtual void OnOk();
  // Esc, the close box and the IDCANCEL button.
  virtual void OnCancel();

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<intptr_t> HandleDefaults(const WindowMessage& message);

  int templateId_;
  HWND parent_;
  HWND window_ = nullptr;
  Win32ControlSurface controls_;
};

}  // namespace korvath
