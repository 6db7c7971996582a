// A stand-in for the stress-test program in the Sensor Test's tests: it does
// nothing and runs until it is terminated. Its one hidden window lets the
// end-to-end tests find it by executable name.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  CreateWindowExW(0, L"STATIC", L"Stress stand-in", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
