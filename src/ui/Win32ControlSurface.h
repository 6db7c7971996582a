// The controls of one real dialog window, reached by id.
#pragma once

#include <windows.h>

#include "platform/ControlSurface.h"

namespace korvath {

class Win32ControlSurface : public ControlSurface {
 public:
  Win32ControlSurface() = default;
  explicit Win32ControlSurface(HWND dialog) : dialog_(dialog) {}

  // Until a dialog is attached every control is missing.
  void Attach(HWND dialog) { dialog_ = dialog; }
  HWND Window() const { return dialog_; }

  bool HasControl(int id) const override;
  std::string GetText(int id) const override;
  // Leaves an unchanged text alone, so that a display refreshed every
  // second does not flicker.
  void SetText(int id, const std::string& text) override;
  void LimitText(int id, size_t maxLength) override;
  int GetCheck(int id) const override;
  void SetCheck(int id, int state) override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  void Show(int id, bool visible) override;
  // As the dialog manager moves the focus: an edit gets its text selected.
  void SetFocus(int id) override;
  int FocusedControl() const override;

 private:
  HWND Control(int id) const;

  HWND dialog_ = nullptr;
};

}  // namespace korvath
