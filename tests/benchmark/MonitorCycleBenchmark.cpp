// One monitor cycle on the simulated E8400: everything the window does once
// a second except pushing the texts into real controls.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/SimulatedMainWindow.h"
#include "config/IniProfileStore.h"
#include "monitor/Monitor.h"
#include "platform/FileAppender.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedGpuSource.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedTray.h"

namespace {

using namespace korvath;

class DiscardedLog : public FileAppender {
 public:
  bool Append(const std::string&, std::string_view) override { return true; }
};

MachineDescription E8400() {
  MachineParseResult parsed = LoadMachineDescription(KORVATH_SOURCE_DIR "/sim/machines/e8400.ini");
  return parsed.machine ? *parsed.machine : MachineDescription{};
}

void BM_MonitorCycle(benchmark::State& state) {
  MachineDescription machine = E8400();
  SimulatedClock clock;
  SimulatedClock clockThreadClock;
  SimulatedProcessor processor(machine, &clock);
  SimulatedProcessor clockProcessor(machine, &clockThreadClock);
  SimulatedGpuSource gpu(machine);
  SimulatedDesktop desktop;
  SimulatedTray tray;
  DiscardedLog log;
  std::string settingsPath = std::string(P_tmpdir) + "/korvath-benchmark-settings.ini";
  std::remove(settingsPath.c_str());
  IniProfileStore profile(settingsPath, "Korvath");
  SimulatedMainWindow window;
  Monitor monitor(MonitorSeams{processor, clock, clockProcessor, clockThreadClock, desktop, gpu, profile, log, tray,
                               tray, SimulatedTray::kApplicationIcon, false, {}},
                  window);
  if (monitor.StartUp()) {
    state.SkipWithError("the simulated machine did not start");
    return;
  }
  monitor.RunClockPasses(9);
  clock.AdvanceMilliseconds(kFirstTickMs);
  monitor.OnMonitorTimer();

  for (auto _ : state) {
    clock.AdvanceMilliseconds(kCyclePeriodMs);
    monitor.OnMonitorTimer();
  }
  std::remove(settingsPath.c_str());
}
BENCHMARK(BM_MonitorCycle)->Unit(benchmark::kMicrosecond);

}  // namespace
