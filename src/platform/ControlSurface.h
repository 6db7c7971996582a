// The seam to a dialog's controls, by control id: texts, checks, enabling
// and focus. The Win32 form wraps GetDlgItem; tests use an in-memory table.
#pragma once

#include <cstddef>
#include <string>

namespace korvath {

class ControlSurface {
 public:
  virtual ~ControlSurface() = default;

  virtual bool HasControl(int id) const = 0;
  virtual std::string GetText(int id) const = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  // The most characters the user may type into an edit; texts set by the
  // program are not cut.
  virtual void LimitText(int /*id*/, size_t /*maxLength*/) {}
  // Check boxes and radio buttons: 0 unchecked, 1 checked, 2 indeterminate.
  virtual int GetCheck(int id) const = 0;
  virtual void SetCheck(int id, int state) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual void Show(int id, bool visible) = 0;
  virtual void SetFocus(int id) = 0;
  virtual int FocusedControl() const = 0;  // 0 when none
};

}  // namespace korvath
