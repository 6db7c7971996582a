// The smallest program that shows what closing costs a window of any
// program on this display: hiding a shown top-level window, and removing a
// notification-area icon, each timed in milliseconds. Under Wine on a display
// without a window manager both wait for an acknowledgement that never comes
// (the X11 driver gives up after two seconds); on Windows both are instant.
#pragma once

namespace probe {

struct CloseCosts {
  unsigned long hideMs = 0;        // ShowWindow(SW_HIDE) of a shown, captioned window
  unsigned long trayDeleteMs = 0;  // Shell_NotifyIconW(NIM_DELETE) of an added icon
  bool trayAdded = false;
};

CloseCosts MeasureCloseCosts();

}  // namespace probe
