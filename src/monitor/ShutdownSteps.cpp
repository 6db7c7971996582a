#include "monitor/ShutdownSteps.h"

namespace korvath {

void RunShutdown(ShutdownSteps& steps) {
  steps.KillMonitorTimer();
  steps.WriteWindowState();
  steps.FlushLog();
  steps.DeleteTrayIcons();
  steps.SwitchClockModulationOff();
  steps.DeleteFontsAndBrushes();
  steps.DisableFixedCounters();
  steps.ReleaseHardware();
}

}  // namespace korvath
