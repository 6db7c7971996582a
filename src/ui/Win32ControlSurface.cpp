#include "ui/Win32ControlSurface.h"

#include <cwchar>

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

// The main window sets every text once a second: a text that fits the
// buffers on the stack is converted and compared without the heap.
void Win32ControlSurface::SetText(int id, const std::string& text) {
  HWND control = Control(id);
  if (!control) return;
  constexpr size_t kShort = 128;
  wchar_t shortText[kShort];
  std::wstring longText;
  const wchar_t* wide = shortText;
  size_t size = WidenInto(text, shortText, kShort - 1);
  if (size < kShort) {
    shortText[size] = L'\0';
  } else {
    longText = Widen(text);
    wide = longText.c_str();
  }
  int length = GetWindowTextLengthW(control);
  if (length == static_cast<int>(size)) {
    wchar_t shortCurrent[kShort];
    std::wstring longCurrent;
    wchar_t* current = shortCurrent;
    if (size >= kShort) {
      longCurrent.assign(size + 1, L'\0');
      current = longCurrent.data();
    }
    int copied = GetWindowTextW(control, current, length + 1);
    if (copied == length && std::wmemcmp(current, wide, size) == 0) return;
  }
  SetWindowTextW(control, wide);
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
