#include "MonitorRig.h"

#include <cstdio>

namespace korvath::testing {

MonitorRig::MonitorRig(const MachineDescription& machine, const MonitorRigOptions& options)
    : settingsPath(options.settingsPath),
      processor(machine, &clock, options.record),
      clockProcessor(machine, &clockThreadClock),
      gpu(machine),
      profile(options.settingsPath, "Korvath") {
  gpu.SetRecording(options.record == CallRecord::kOn);
  // The store reads the file at every call: written here, before the
  // monitor's first read. Without lines no file, not even one left behind
  // by an earlier run.
  std::remove(settingsPath.c_str());
  if (!options.settings.empty()) {
    if (std::FILE* file = std::fopen(settingsPath.c_str(), "wb")) {
      const std::string text = "[Korvath]\n" + options.settings;
      std::fwrite(text.data(), 1, text.size(), file);
      std::fclose(file);
    }
  }
  monitor = std::make_unique<Monitor>(
      MonitorSeams{.processor = processor,
                   .time = clock,
                   .clockProcessor = clockProcessor,
                   .clockTime = clockThreadClock,
                   .desktop = desktop,
                   .gpu = gpu,
                   .settingsFile = profile,
                   .logFiles = options.logFiles != nullptr ? *options.logFiles : log,
                   .trayShell = tray,
                   .trayPainter = tray,
                   .applicationIcon = SimulatedTray::kApplicationIcon,
                   .startClockThread = false,
                   .metricsFiles = options.metricsFiles,
                   .executableFolder = options.executableFolder},
      window);
}

// The monitor goes before its seams; the settings file it may have written
// goes with the rig.
MonitorRig::~MonitorRig() {
  monitor.reset();
  std::remove(settingsPath.c_str());
}

std::optional<FatalError> MonitorRig::StartUp() {
  std::optional<FatalError> fatal = monitor->StartUp();
  if (!fatal) monitor->RunClockPasses(9);
  return fatal;
}

void MonitorRig::AdvanceToTick() {
  clock.AdvanceMilliseconds(monitor->firstTickPending() ? kFirstTickMs : kCyclePeriodMs);
}

void MonitorRig::Tick() {
  AdvanceToTick();
  monitor->OnMonitorTimer();
}

}  // namespace korvath::testing
