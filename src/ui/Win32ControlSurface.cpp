#include "ui/Win32ControlSurface.h"

#include "platform/TextFormat.h"

namespace korvath {

HWND Win32ControlSurface::Control(int id) const { return dialog_ ? GetDlgItem(dialog_, id) : nullptr; }

bool Win32ControlSurface::HasControl(int id) const { return Control(id) != nullptr; }

std::string Win32ControlSurface::GetText(int id) const {
  HWND control = Control(id);
  if (!control) return {};
  int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return Narrow(text);
}

void Win32ControlSurface::SetText(int id, const std::string& text) {
  HWND control = Control(id);
  if (!control) return;
  std::wstring wide = Widen(text);
  int length = GetWindowTextLengthW(control);
  if (length == static_cast<int>(wide.size())) {
    std::wstring current(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(control, current.data(), length + 1);
    current.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    if (current == wide) return;
  }
  SetWindowTextW(control, wide.c_str());
}

void Win32ControlSurface::LimitText(int id, size_t maxLength) {
  if (HWND control = Control(id)) SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(maxLength), 0);
}

int Win32ControlSurface::GetCheck(int id) const {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0)) : 0;
}

void Win32ControlSurface::SetCheck(int id, int state) {
  if (HWND control = Control(id)) SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Win32ControlSurface::Enable(int id, bool enabled) {
  if (HWND control = Control(id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

bool Win32ControlSurface::IsEnabled(int id) const {
  HWND control = Control(id);
  return control && IsWindowEnabled(control);
}

void Win32ControlSurface::Show(int id, bool visible) {
  if (HWND control = Control(id)) ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void Win32ControlSurface::SetFocus(int id) {
  if (HWND control = Control(id)) SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

int Win32ControlSurface::FocusedControl() const {
  HWND focus = GetFocus();
  if (!focus || !dialog_ || !IsChild(dialog_, focus)) return 0;
  return GetDlgCtrlID(focus);
}

}  // namespace korvath
