#include "CloseCost.h"

#include <windows.h>
#include <shellapi.h>

namespace probe {
namespace {

// Lets the window system finish showing or adding before the timed call.
void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

HWND MakeWindow(DWORD style) {
  static const wchar_t kClass[] = L"KorvathProbeCloseCost";
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClass;
  RegisterClassW(&windowClass);  // a second registration fails harmlessly
  return CreateWindowExW(0, kClass, L"probe close cost", style, 40, 40, 300, 200, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

}  // namespace

CloseCosts MeasureCloseCosts() {
  CloseCosts costs;
  if (HWND window = MakeWindow(WS_OVERLAPPEDWINDOW)) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    PumpFor(500);
    DWORD start = GetTickCount();
    ShowWindow(window, SW_HIDE);
    costs.hideMs = GetTickCount() - start;
    DestroyWindow(window);
  }
  if (HWND owner = MakeWindow(WS_OVERLAPPED)) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = 1;
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpyW(data.szTip, L"probe");
    costs.trayAdded = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    PumpFor(500);
    DWORD start = GetTickCount();
    Shell_NotifyIconW(NIM_DELETE, &data);
    costs.trayDeleteMs = GetTickCount() - start;
    DestroyWindow(owner);
  }
  return costs;
}

}  // namespace probe
