// The whole monitor on a simulated machine: its processors, clocks, GPU,
// desktop, tray and main window, a settings file, and the Monitor built on
// them. korvath-sim runs it, and so do the tests, the soak and the benchmark.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/SimulatedMainWindow.h"
#include "config/IniProfileStore.h"
#include "monitor/Monitor.h"
#include "platform/sim/DiscardingFiles.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedGpuSource.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedTray.h"

namespace korvath {

// Where the runs differ.
struct SimulatedMonitorOptions {
  // The settings file and what it holds before start-up; without a text no
  // file, not even one left behind by an earlier run. Removed at the end.
  std::string settingsPath;
  std::optional<std::string> settingsText = std::nullopt;
  // Where the log goes; without one it is discarded.
  FileAppender* logFiles = nullptr;
  // Where the metrics file goes; without one MetricsFile is ignored.
  FileWriter* metricsFiles = nullptr;
  // The folder the log, the sound and relative metrics and alarm files are
  // taken from; empty keeps their bare names.
  std::string executableFolder = {};
  // Whether the processor and the GPU keep a record of every call; a long
  // run keeps none, so that its memory stays flat.
  CallRecord record = CallRecord::kOff;
};

class SimulatedMonitor {
 public:
  SimulatedMonitor(const MachineDescription& machine, const SimulatedMonitorOptions& options);
  ~SimulatedMonitor();
  SimulatedMonitor(const SimulatedMonitor&) = delete;
  SimulatedMonitor& operator=(const SimulatedMonitor&) = delete;

  // The window's start-up, then the clock thread's passes run here, since
  // nothing starts a thread.
  std::optional<FatalError> StartUp();
  // Moves the clock to the next tick of the monitor timer: the first tick's
  // delay, then a cycle period.
  void AdvanceToTick();
  // The next tick and its cycle.
  void Tick();
  // The text of a control of the main window.
  const std::string& Text(int id) const { return window.controls.Get(id); }

  const std::string settingsPath;
  SimulatedClock clock;
  SimulatedClock clockThreadClock;
  SimulatedProcessor processor;
  SimulatedProcessor clockProcessor;
  SimulatedGpuSource gpu;
  SimulatedDesktop desktop;
  SimulatedTray tray;
  DiscardingLog log;
  IniProfileStore profile;
  SimulatedMainWindow window;
  std::unique_ptr<Monitor> monitor;
};

}  // namespace korvath
