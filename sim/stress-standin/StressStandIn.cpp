// A stand-in for the stress-test program in the Sensor Test's tests: it does
// nothing and runs until it is terminated.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  for (;;) Sleep(INFINITE);
}
