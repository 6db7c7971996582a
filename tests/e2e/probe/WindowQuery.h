// Finding and reading the windows of other processes, for the probe.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

struct WindowInfo {
  HWND handle = nullptr;
  DWORD processId = 0;
  std::wstring className;
  std::wstring text;
  RECT rect{};
  int controlId = 0;
  bool visible = false;
  bool enabled = false;
};

// Top-level windows, in Z order; hidden ones too.
std::vector<WindowInfo> TopLevelWindows();
// Every descendant of parent, in creation order, with its control id.
std::vector<WindowInfo> ChildWindows(HWND parent);

// The text through WM_GETTEXT, which works across processes; empty when the
// window does not answer within a second.
std::wstring WindowText(HWND window);

// The file name (no folder) of a process's executable; empty when unknown.
std::wstring ProcessExeName(DWORD processId);

// A top-level window named by "0x<handle>" or by its exact caption, visible
// ones first; nullptr when there is none.
HWND FindTopLevelWindow(const std::wstring& name);

// The child with the control id; nullptr when there is none.
// The first control with the identifier, of the class when one is given
// (compound controls such as the file boxes share one identifier among
// their parts).
HWND FindControl(HWND window, int controlId, const std::wstring& className = {});

}  // namespace probe
