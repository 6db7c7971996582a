#include "monitor/Monitor.h"

#include "hw/TscClockRunner.h"
#include "monitor/CoreSlotControls.h"
#include "monitor/CoreTexts.h"

namespace korvath {

Monitor::Monitor(const MonitorSeams& seams, MainWindowView& view)
    : seams_(seams),
      view_(view),
      cpu_(CreateCpuInfo(seams.processor)),
      access_(seams.processor, cpu_),
      gpu_(seams.gpu),
      temperatures_(access_, seams.time, settings_.tjMax),
      clockModulation_(access_),
      clockThread_(seams.clockProcessor, seams.clockTime, clockMeasurements_),
      alarms_(settings_, seams.desktop, [this] { view_.FlashOnce(); }, seams.executableFolder),
      log_(settings_, seams.logFiles, seams.executableFolder),
      tray_(settings_, seams.trayShell, seams.trayPainter, seams.applicationIcon) {}

// Stops the clock thread even when the window never got to its shutdown
// (a fatal start-up path ends the process without one).
Monitor::~Monitor() = default;

void Monitor::ApplyTemperatureSettings() {
  for (int slot = 0; slot < kCoreSlots; ++slot) {
    temperatures_.idleCalibration[slot] = settings_.idleCalibration[slot];
  }
  for (size_t i = 0; i < temperatures_.extraCores().size(); ++i) {
    ExtraCore& core = temperatures_.extraCores()[i];
    const size_t number = kCoreSlots + i;
    bool keyed = number < kSettingCores;
    int override = keyed ? settings_.coreTjMaxOverride[number] : 0;
    core.tjMax = override != 0 ? override : core.tjMaxDetected;
    core.idleCalibration = keyed ? settings_.coreIdleCalibration[number] : 0;
  }
}

void Monitor::RunClockPasses(int passes) {
  for (int pass = 0; pass < passes; ++pass) clockThread_.RunPass();
}

void Monitor::ToggleMiniMode() {
  settings_.miniMode = settings_.miniMode ? 0 : 1;
  view_.ApplyMiniMode(settings_.miniMode != 0);
}

void Monitor::ResetStatistics() {
  temperatures_.ResetStatistics();
  for (int number = 0; number < temperatures_.displayCoreCount(); ++number) {
    ClearRecordTexts(texts_, CoreControls(number));
  }
  view_.PushTexts(texts_);
}

}  // namespace korvath
