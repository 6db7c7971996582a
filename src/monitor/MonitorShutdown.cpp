// The destruction of the main window: the shutdown steps in their order.
#include "monitor/Monitor.h"

#include "hw/TscClockRunner.h"
#include "monitor/ShutdownSteps.h"

namespace korvath {
namespace {

class MonitorShutdownSteps : public ShutdownSteps {
 public:
  MonitorShutdownSteps(Monitor& monitor, MainWindowView& view, ProfileStore& settingsFile,
                       std::function<void()> releaseHardware)
      : monitor_(monitor), view_(view), settingsFile_(settingsFile), releaseHardware_(std::move(releaseHardware)) {}

  void KillMonitorTimer() override {
    view_.KillTimer(kMonitorTimerId);
    view_.KillTimer(kTrayRetryTimerId);
  }

  void WriteWindowState() override {
    WindowState state;
    state.normalWindowRectSet = monitor_.windowPositionToSave();
    state.windowTopLeft = {monitor_.normalWindowRect().left, monitor_.normalWindowRect().top};
    state.anchorPoint = monitor_.anchorSet() ? monitor_.anchorPoint() : ScreenPoint{};
    state.anchorCopy = monitor_.anchorSet() ? monitor_.anchorCopy() : ScreenPoint{};
    state.miniMode = monitor_.settings().miniMode != 0;
    state.iconShow = monitor_.settings().iconShow;
    state.apicIds = ReadApicIds(monitor_.access());
    state.clockMod = monitor_.clockModulation().ReadForSaving();
    korvath::WriteWindowState(settingsFile_, state);
  }

  // Lines taken while logging was on belong in the file even when logging
  // has been switched off since.
  void FlushLog() override { monitor_.log().WriteLogBuffer(); }
  void DeleteTrayIcons() override { monitor_.tray().DeleteShownIcons(); }
  void SwitchClockModulationOff() override { monitor_.clockModulation().SwitchOff(); }
  void DeleteFontsAndBrushes() override { view_.DeleteGdiObjects(); }
  void DisableFixedCounters() override { monitor_.access().DisableFixedCounters(); }
  void ReleaseHardware() override { releaseHardware_(); }

 private:
  Monitor& monitor_;
  MainWindowView& view_;
  ProfileStore& settingsFile_;
  std::function<void()> releaseHardware_;
};

}  // namespace

void Monitor::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  MonitorShutdownSteps steps(*this, view_, seams_.settingsFile, [this] {
    if (clockRunner_) clockRunner_->Stop();
    access_.Close();
  });
  RunShutdown(steps);
  // Last, once nothing reads a sensor any more.
  if (metrics_) metrics_->WriteStopped();
}

}  // namespace korvath
