// The work done when the main window is destroyed, in its one fixed order:
// the timer stops first so that no cycle runs into half-released state, the
// settings are saved before the hardware is put back.
#pragma once

namespace korvath {

class ShutdownSteps {
 public:
  virtual ~ShutdownSteps() = default;

  virtual void KillMonitorTimer() = 0;
  virtual void WriteWindowState() = 0;  // WindowXY, AnchorXY, MiniMode, IconShow, APICID, ClockMod
  // Writes whatever lines are still buffered, also when logging was switched
  // off after they were taken: they belong in the file.
  virtual void FlushLog() = 0;
  virtual void DeleteTrayIcons() = 0;
  virtual void SwitchClockModulationOff() = 0;
  virtual void DeleteFontsAndBrushes() = 0;
  virtual void DisableFixedCounters() = 0;  // only where the program enabled them
  virtual void ReleaseHardware() = 0;       // CpuInfo, GpuSensor, the access library
};

void RunShutdown(ShutdownSteps& steps);

}  // namespace korvath
