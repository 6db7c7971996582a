// The whole monitor on a simulated machine: its processors, clocks, GPU,
// desktop, tray and main window, a settings file, and the Monitor built on
// them, as the unit tests, the soak and the benchmark drive it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "DiscardingFiles.h"
#include "app/SimulatedMainWindow.h"
#include "config/IniProfileStore.h"
#include "monitor/Monitor.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedGpuSource.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedTray.h"

namespace korvath::testing {

// Where the rigs of the tests differ.
struct MonitorRigOptions {
  // The settings file: the lines of its [Korvath] section, or no file when
  // there are none; removed with the rig.
  std::string settingsPath;
  std::string settings = {};
  // Where the log goes; without one it goes to the rig's DiscardingLog.
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

class MonitorRig {
 public:
  MonitorRig(const MachineDescription& machine, const MonitorRigOptions& options);
  ~MonitorRig();
  MonitorRig(const MonitorRig&) = delete;
  MonitorRig& operator=(const MonitorRig&) = delete;

  // The window's start-up, then the clock thread's passes run here, since
  // the rig starts no thread.
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

}  // namespace korvath::testing
