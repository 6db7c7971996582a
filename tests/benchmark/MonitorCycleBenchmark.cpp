// One monitor cycle on the simulated E8400: everything the window does once
// a second except pushing the texts into real controls.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "app/SimulatedMainWindow.h"
#include "config/IniProfileStore.h"
#include "monitor/Monitor.h"
#include "platform/FileAppender.h"
#include "platform/FileWriter.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedGpuSource.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedTray.h"

// Every allocation of this program is counted, so that a benchmark can say
// how many a cycle makes.
namespace {

std::atomic<long long> allocations{0};

void* CountedAllocate(size_t size) {
  ++allocations;
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void Release(void* block) { std::free(block); }

}  // namespace

void* operator new(size_t size) { return CountedAllocate(size); }
void* operator new[](size_t size) { return CountedAllocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
// The nothrow forms too (std::stable_sort's buffer), so that every block
// is counted and freed by the same pair.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size != 0 ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

namespace {

using namespace korvath;

class DiscardedLog : public FileAppender {
 public:
  bool Append(const std::string&, std::string_view) override { return true; }
};

// The metrics file's text is built, then dropped: what the text costs alone.
class DiscardedFiles : public FileWriter {
 public:
  bool WriteWhole(const std::string&, std::string_view bytes) override {
    benchmark::DoNotOptimize(bytes.data());
    return true;
  }
  bool MoveReplacing(const std::string&, const std::string&) override { return true; }
  void Remove(const std::string&) override {}
};

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
  MachineDescription machine = LoadMachine(machineName);
  SimulatedClock clock;
  SimulatedClock clockThreadClock;
  SimulatedProcessor processor(machine, &clock);
  SimulatedProcessor clockProcessor(machine, &clockThreadClock);
  SimulatedGpuSource gpu(machine);
  SimulatedDesktop desktop;
  SimulatedTray tray;
  DiscardedLog log;
  // TMPDIR chooses the disk the metrics file goes to.
  const char* temporary = std::getenv("TMPDIR");
  std::string folder = std::string(temporary != nullptr && *temporary != '\0' ? temporary : P_tmpdir) + "/";
  std::string settingsPath = folder + "korvath-benchmark-settings.ini";
  if (std::FILE* file = std::fopen(settingsPath.c_str(), "wb")) {
    std::fputs(("[Korvath]\n" + settings).c_str(), file);
    std::fclose(file);
  }
  IniProfileStore profile(settingsPath, "Korvath");
  SimulatedMainWindow window;
  Monitor monitor(MonitorSeams{.processor = processor,
                               .time = clock,
                               .clockProcessor = clockProcessor,
                               .clockTime = clockThreadClock,
                               .desktop = desktop,
                               .gpu = gpu,
                               .settingsFile = profile,
                               .logFiles = log,
                               .trayShell = tray,
                               .trayPainter = tray,
                               .applicationIcon = SimulatedTray::kApplicationIcon,
                               .startClockThread = false,
                               .metricsFiles = metricsFiles,
                               .executableFolder = folder},
                  window);
  if (monitor.StartUp()) {
    state.SkipWithError("the simulated machine did not start");
    return;
  }
  monitor.RunClockPasses(9);
  clock.AdvanceMilliseconds(kFirstTickMs);
  monitor.OnMonitorTimer();
  processor.SetRecording(false);
  gpu.SetRecording(false);
  // Buffers reach their steady size in the first cycles.
  for (int cycle = 0; cycle < 10; ++cycle) {
    clock.AdvanceMilliseconds(kCyclePeriodMs);
    monitor.OnMonitorTimer();
  }

  long long allocationsBefore = allocations.load();
  for (auto _ : state) {
    clock.AdvanceMilliseconds(kCyclePeriodMs);
    monitor.OnMonitorTimer();
  }
  state.counters["allocations/cycle"] =
      static_cast<double>(allocations.load() - allocationsBefore) / static_cast<double>(state.iterations());
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
  std::remove(settingsPath.c_str());
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

void BM_MonitorCycleMetricsText(benchmark::State& state) {
  DiscardedFiles files;
  RunMonitorCycles(state, "MetricsFile=korvath-benchmark.prom\n", &files);
}
BENCHMARK(BM_MonitorCycleMetricsText)->Unit(benchmark::kMicrosecond);

void BM_MonitorCycleMetricsFile(benchmark::State& state) {
  DiskFiles files;
  RunMonitorCycles(state, "MetricsFile=korvath-benchmark.prom\n", &files);
}
BENCHMARK(BM_MonitorCycleMetricsFile)->Unit(benchmark::kMicrosecond);

}  // namespace
