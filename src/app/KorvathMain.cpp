// korvath.exe / korvath32.exe: the composition root of the real program.
#include <windows.h>

#include "app/StartUp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  korvath::RestrictDllSearchToSystem();
  korvath::RealMachine machine;
  if (std::optional<korvath::FatalError> fatal = machine.access.Open()) {
    // Ends at once: the library is not closed on this path.
    return korvath::ShowFatalError(*fatal);
  }
  // The main window takes over from here once it exists.
  machine.access.Close();
  return 0;
}
