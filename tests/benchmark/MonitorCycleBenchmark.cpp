// One monitor cycle on the simulated E8400: everything the window does once
// a second except pushing the texts into real controls.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CountingAllocator.h"
#include "MonitorRig.h"
#include "platform/FileWriter.h"

namespace {

using namespace korvath;

// The metrics file on this machine's disk: written, then renamed over the
// last one, as the product does with the Windows calls.
class DiskFiles : public FileWriter {
 public:
  bool WriteWhole(const std::string& path, std::string_view bytes) override {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
  }
  bool MoveReplacing(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }
  void Remove(const std::string& path) override { std::remove(path.c_str()); }
};

MachineDescription LoadMachine(const std::string& name) {
  MachineParseResult parsed = LoadMachineDescription(KORVATH_SOURCE_DIR "/sim/machines/" + name + ".ini");
  return parsed.machine ? *parsed.machine : MachineDescription{};
}

// Cycles of a monitor with the given settings; reports the heap allocations
// per cycle beside the time.
void RunMonitorCycles(benchmark::State& state, const std::string& settings, FileWriter* metricsFiles,
                      const std::string& machineName = "e8400") {
  // TMPDIR chooses the disk the metrics file goes to.
  const char* temporary = std::getenv("TMPDIR");
  std::string folder = std::string(temporary != nullptr && *temporary != '\0' ? temporary : P_tmpdir) + "/";
  SimulatedMonitor rig(LoadMachine(machineName), {.settingsPath = folder + "korvath-benchmark-settings.ini",
                                                  .settingsText = testing::KorvathSection(settings),
                                                  .metricsFiles = metricsFiles,
                                                  .executableFolder = folder});
  Monitor& monitor = *rig.monitor;
  if (rig.StartUp()) {
    state.SkipWithError("the simulated machine did not start");
    return;
  }
  // Buffers reach their steady size in the first cycles.
  for (int cycle = 0; cycle <= 10; ++cycle) rig.Tick();

  long long allocationsBefore = testing::Allocations();
  for (auto _ : state) rig.Tick();
  state.counters["allocations/cycle"] =
      static_cast<double>(testing::Allocations() - allocationsBefore) / static_cast<double>(state.iterations());
  state.counters["processors"] = monitor.cpu().coreCount;
  // The time per cycle divided by the processors: flat when the cost grows
  // with the machine and no faster.
  state.counters["time/processor"] = benchmark::Counter(
      static_cast<double>(monitor.cpu().coreCount) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  // The same per physical core: every core is read, recorded and shown.
  const int cores = static_cast<int>(monitor.cpu().cores.size());
  state.counters["cores"] = cores;
  state.counters["time/core"] = benchmark::Counter(static_cast<double>(cores) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  if (monitor.metrics()) std::remove(monitor.metrics()->path().c_str());
}

void BM_MonitorCycle(benchmark::State& state) { RunMonitorCycles(state, "", nullptr); }
BENCHMARK(BM_MonitorCycle)->Unit(benchmark::kMicrosecond);

// From 2 to 72 logical processors and 2 to 36 cores: the E8400, the N100,
// the 16-core hybrid desktop, the 32-core server in one processor group and
// the 36-core one in two.
void BM_MonitorCycleOnMachine(benchmark::State& state) {
  static const char* const kMachines[] = {"e8400", "n100", "i9-12900k", "xeon-6130-2s", "xeon-6154-2s"};
  RunMonitorCycles(state, "", nullptr, kMachines[state.range(0)]);
}
BENCHMARK(BM_MonitorCycleOnMachine)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

// The metrics file's text is built, then dropped: what the text costs alone.
void BM_MonitorCycleMetricsText(benchmark::State& state) {
  DiscardingFiles files;
  RunMonitorCycles(state, "MetricsFile=korvath-benchmark.prom\n", &files);
}
BENCHMARK(BM_MonitorCycleMetricsText)->Unit(benchmark::kMicrosecond);

void BM_MonitorCycleMetricsFile(benchmark::State& state) {
  DiskFiles files;
  RunMonitorCycles(state, "MetricsFile=korvath-benchmark.prom\n", &files);
}
BENCHMARK(BM_MonitorCycleMetricsFile)->Unit(benchmark::kMicrosecond);

}  // namespace
