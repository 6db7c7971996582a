#include "app/SimulatedMonitor.h"

#include <cstdio>

namespace korvath {

SimulatedMonitor::SimulatedMonitor(const MachineDescription& machine, const SimulatedMonitorOptions& options)
    : settingsPath(options.settingsPath),
      processor(machine, &clock, options.record),
      clockProcessor(machine, &clockThreadClock),
      gpu(machine),
      profile(options.settingsPath, "Korvath") {
  gpu.SetRecording(options.record == CallRecord::kOn);
  // The store reads the file at every call: written here, before the
  // monitor's first read.
  std::remove(settingsPath.c_str());
  if (options.settingsText) {
    if (std::FILE* file = std::fopen(settingsPath.c_str(), "wb")) {
      std::fwrite(options.settingsText->data(), 1, options.settingsText->size(), file);
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
// goes with the run.
SimulatedMonitor::~SimulatedMonitor() {
  monitor.reset();
  std::remove(settingsPath.c_str());
}

std::optional<FatalError> SimulatedMonitor::StartUp() {
  // The clock thread has made its first passes by the time the first cycles
  // run.
  constexpr int kClockPassesBeforeFirstCycle = 9;
  std::optional<FatalError> fatal = monitor->StartUp();
  if (!fatal) monitor->RunClockPasses(kClockPassesBeforeFirstCycle);
  return fatal;
}

void SimulatedMonitor::AdvanceToTick() {
  clock.AdvanceMilliseconds(monitor->firstTickPending() ? kFirstTickMs : kCyclePeriodMs);
}

void SimulatedMonitor::Tick() {
  AdvanceToTick();
  monitor->OnMonitorTimer();
}

}  // namespace korvath
