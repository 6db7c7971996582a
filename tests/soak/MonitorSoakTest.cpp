// Seven simulated days of the whole monitor on the simulated E8400: readings
// that change every second, the load every hour, alarms, tray display modes
// and Resets from the tray menu, and a log folder that is unwritable for a
// while each day. Everything the monitor shows is checked against a count
// kept here, and the heap must not grow once the run has warmed up. Then a
// steady cycle allocates nothing, with each feature on, and korvath-sim's
// own heap stays flat over an hour of logging.
//
//   korvath_soak_test [--cycles N] [gtest options]   (N defaults to 604,800)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "monitor/CoreSlotControls.h"
#include "monitor/Monitor.h"
#include "monitor/TrayInteraction.h"
#include "CountingAllocator.h"
#include "MonitorRig.h"
#include "app/SimulationRun.h"
#include "monitor/MetricsText.h"
#include "platform/FileAppender.h"
#include "resources/resource.h"

namespace korvath {
namespace {

long long soakCycles = 604'800;  // seven days, one cycle a second

constexpr int kSlots = 2;  // the E8400's two cores
constexpr int kAlarm1 = 70;
constexpr int kAlarm2 = 75;
constexpr int kResetEvery = 20'011;
constexpr int kModeChangeEvery = 3'607;
constexpr int kLoadChangeEvery = 3'600;
// The log folder is unwritable for a quarter of an hour each day.
constexpr int kOutageStart = 30'000;
constexpr int kOutageLength = 900;
constexpr uint64_t kCounterZeroingThreshold = 255ull << 32;
constexpr uint32_t kCounterRegisters[] = {0x30A, 0x30B};
// The display modes the tray menu walks through, one per change.
constexpr int kModeCommands[] = {kTrayCommandMinimum,  kTrayCommandMaximum, kTrayCommandAverage,
                                 kTrayCommandDistance, kTrayCommandMinimum, kTrayCommandCurrent,
                                 kTrayCommandAverage,  kTrayCommandTemperature, kTrayCommandCurrent};

// The log as the monitor writes it, checked line by line against the lines
// expected so far; nothing is kept once checked, so the check itself does
// not grow with the run.
class CheckedLogFolder : public FileAppender {
 public:
  bool Append(const std::string& path, std::string_view bytes) override {
    if (!writable) return false;
    ++writes;
    if (path != "KorvathLog.txt") ++wrongLines;
    size_t start = 0;
    while (start < bytes.size()) {
      size_t end = bytes.find("\r\n", start);
      if (end == std::string_view::npos) {
        ++wrongLines;  // a line without its CR LF
        break;
      }
      std::string_view line = bytes.substr(start, end - start);
      if (expected.empty() || line != expected.front()) {
        if (wrongLines++ == 0) firstWrong = std::string(line) + " (expected " +
                                            (expected.empty() ? std::string("nothing") : expected.front()) + ")";
      } else {
        expected.pop_front();
        ++linesWritten;
      }
      start = end + 2;
    }
    return true;
  }

  bool writable = true;
  std::deque<std::string> expected;
  long long linesWritten = 0;
  long long wrongLines = 0;
  long long writes = 0;
  std::string firstWrong;
};

// The tray menu of the main window: the command the test chose is picked.
class MenuWindow : public TrayWindow {
 public:
  explicit MenuWindow(Monitor& monitor) : monitor_(monitor) {}
  bool IsVisible() override { return true; }
  void Minimize() override {}
  void Hide() override {}
  void ShowRestored() override {}
  void SetTitle(const std::string&) override {}
  int RunTrayMenu(const std::vector<TrayMenuItem>&) override { return choice; }
  void EndWindow() override {}
  void ResetStatistics() override { monitor_.ResetStatistics(); }
  void ShowHistory() override {}
  int choice = 0;

 private:
  Monitor& monitor_;
};

// What the monitor should show, counted independently of it.
struct ExpectedStats {
  int minTemp[kStatEntries];
  int maxTemp[kStatEntries];
  int minDistance[kSlots];
  int maxDistance[kSlots];
  std::string minTime[kSlots];
  std::string maxTime[kSlots];
  long long tempSum[kStatEntries];
  long long distanceSum[kSlots];
  unsigned long long cycles;

  ExpectedStats() { Reset(); }
  void Reset() {
    for (int i = 0; i < kStatEntries; ++i) {
      minTemp[i] = 128;
      maxTemp[i] = -64;
      tempSum[i] = 0;
    }
    for (int i = 0; i < kSlots; ++i) {
      minDistance[i] = 128;
      maxDistance[i] = -64;
      distanceSum[i] = 0;
    }
    cycles = 0;
  }
  int Average(long long sum) const { return static_cast<int>(static_cast<double>(sum) / cycles + 0.5); }
};

// The icon mask after a display-mode command of the tray menu.
uint32_t ModeAfter(uint32_t show, int command) {
  constexpr uint32_t kStatistic = kIconShowMinimum | kIconShowMaximum | kIconShowAverage;
  switch (command) {
    case kTrayCommandTemperature: return show & ~kIconShowDistance;
    case kTrayCommandDistance: return show | kIconShowDistance;
    case kTrayCommandMinimum: return (show & ~kStatistic) | kIconShowMinimum;
    case kTrayCommandMaximum: return (show & ~kStatistic) | kIconShowMaximum;
    case kTrayCommandAverage: return (show & ~kStatistic) | kIconShowAverage;
    case kTrayCommandCurrent: return show & ~kStatistic;
    default: return show;
  }
}

std::string Text(const char* format, long long a, long long b = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

std::string TimeText(const std::tm& time, const char* format) {
  char text[64];
  size_t length = std::strftime(text, sizeof text, format, &time);
  return std::string(text, length);
}

// A reproducible stream of numbers, one per cycle and reading.
uint32_t Scramble(uint64_t cycle, uint32_t salt) {
  uint64_t x = cycle * 0x9E3779B97F4A7C15ull + salt * 0xBF58476D1CE4E5B9ull;
  x ^= x >> 31;
  x *= 0x94D049BB133111EBull;
  return static_cast<uint32_t>(x >> 32);
}

TEST(MonitorSoak, SevenDaysStayExactAndFlat) {
  MachineParseResult parsed = LoadMachineDescription(KORVATH_SOURCE_DIR "/sim/machines/e8400.ini");
  ASSERT_TRUE(parsed.machine) << parsed.error;
  CheckedLogFolder logFolder;
  SimulatedMonitor rig(*parsed.machine,
                       {.settingsPath = ::testing::TempDir() + "korvath-soak-settings.ini",
                        .settingsText = testing::KorvathSection(
                            "LogFile=1\nLogInterval=5\nHDWrite=60\nAlarm=1\nAlarm1=" + std::to_string(kAlarm1) +
                            "\nAlarm2=" + std::to_string(kAlarm2) +
                            "\nAlarmFile=/nonexistent/korvath-alarm.cmd\nIconShow=19\n"),
                        .logFiles = &logFolder});
  Monitor& monitor = *rig.monitor;
  MenuWindow menuWindow(monitor);
  auto load = [](long long hour, int cpu) { return ((hour + cpu) % 4 + 1) * 25.0; };
  for (int cpu = 0; cpu < kSlots; ++cpu) rig.processor.SetActivity(cpu, {load(0, cpu), 1.0, std::nullopt});
  TrayInteraction trayMenu(monitor.settings(), menuWindow);
  ASSERT_FALSE(rig.StartUp().has_value());
  const int tjMax = monitor.settings().tjMax[0];

  ExpectedStats expected;
  uint32_t iconShow = 19;
  long long alarmCycles = 0;
  long long soundsExpected = 0;
  long long sounds = 0;
  long long otherEvents = 0;
  long long counterZeroings = 0;
  long long mismatches = 0;
  std::string firstMismatch;
  auto check = [&](long long cycle, const char* what, const std::string& want, const std::string& got) {
    if (want == got) return;
    if (mismatches++ == 0) firstMismatch = "cycle " + std::to_string(cycle) + ": " + what + " is '" + got +
                                           "', expected '" + want + "'";
  };

  // The first day, or at least the first outage of the log folder and the
  // write after it: the log's buffers reach their size there.
  long long warmUp = std::min<long long>(86'400, std::max<long long>(soakCycles / 8, kOutageStart + kOutageLength + 60));
  if (warmUp >= soakCycles) warmUp = soakCycles / 8;
  long long cycleAllocations = 0;  // made inside monitor cycles
  long long liveAfterWarmUp = 0;
  long long allocationsAfterWarmUp = 0;

  for (long long cycle = 1; cycle <= soakCycles; ++cycle) {
    // The user and the machine between two ticks.
    if (cycle % kResetEvery == 0) {
      menuWindow.choice = kTrayCommandReset;
      trayMenu.OnTrayNotification(kMouseRightButtonDown);
      expected.Reset();
    }
    if (cycle % kModeChangeEvery == 0) {
      menuWindow.choice = kModeCommands[(cycle / kModeChangeEvery) % std::size(kModeCommands)];
      trayMenu.OnTrayNotification(kMouseRightButtonDown);
      iconShow = ModeAfter(iconShow, menuWindow.choice);
    }
    if (cycle % kLoadChangeEvery == 0) {
      for (int cpu = 0; cpu < kSlots; ++cpu) {
        rig.processor.SetActivity(cpu, {load(cycle / kLoadChangeEvery, cpu), 1.0, std::nullopt});
      }
    }
    logFolder.writable = (cycle % 86'400) < kOutageStart || (cycle % 86'400) >= kOutageStart + kOutageLength;

    int readout[kSlots];
    int temperature[kSlots];
    for (int slot = 0; slot < kSlots; ++slot) {
      readout[slot] = 25 + static_cast<int>(Scramble(cycle, slot) % 40);
      temperature[slot] = tjMax - readout[slot];
      rig.processor.PokeMsr(slot, 0x19C, 0x88000000ull | (static_cast<uint64_t>(readout[slot]) << 16));
    }
    int gpuTemperature = 40 + static_cast<int>(Scramble(cycle, 7) % 40);
    rig.gpu.SetTemperature(0, static_cast<uint32_t>(gpuTemperature - 6));
    rig.gpu.SetTemperature(1, static_cast<uint32_t>(gpuTemperature));

    rig.AdvanceToTick();
    const std::tm now = rig.clock.LocalNow();
    const int secondOfDay = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec;
    if (secondOfDay % 5 == 0) {
      logFolder.expected.push_back(TimeText(now, "%x %H:%M:%S") + Text(" %lld %lld", temperature[0], temperature[1]));
    }
    uint64_t counterBefore[kSlots][2];
    for (int cpu = 0; cpu < kSlots; ++cpu) {
      for (int k = 0; k < 2; ++k) counterBefore[cpu][k] = rig.processor.PeekMsr(cpu, kCounterRegisters[k]);
    }

    const long long allocationsBefore = testing::Allocations();
    monitor.OnMonitorTimer();
    cycleAllocations += testing::Allocations() - allocationsBefore;

    // The count kept here.
    expected.cycles += 1;
    const std::string nowText = TimeText(now, "%H:%M:%S");
    for (int slot = 0; slot < kSlots; ++slot) {
      expected.tempSum[slot] += temperature[slot];
      expected.distanceSum[slot] += readout[slot];
      if (temperature[slot] < expected.minTemp[slot]) {
        expected.minTemp[slot] = temperature[slot];
        expected.minTime[slot] = nowText;
      }
      if (temperature[slot] > expected.maxTemp[slot]) {
        expected.maxTemp[slot] = temperature[slot];
        expected.maxTime[slot] = nowText;
      }
      if (readout[slot] < expected.minDistance[slot]) expected.minDistance[slot] = readout[slot];
      if (readout[slot] > expected.maxDistance[slot]) expected.maxDistance[slot] = readout[slot];
    }
    expected.tempSum[kGpuEntry] += gpuTemperature;
    if (gpuTemperature < expected.minTemp[kGpuEntry]) expected.minTemp[kGpuEntry] = gpuTemperature;
    if (gpuTemperature > expected.maxTemp[kGpuEntry]) expected.maxTemp[kGpuEntry] = gpuTemperature;
    const bool alarm = temperature[0] >= kAlarm1 || temperature[1] >= kAlarm1 || gpuTemperature >= kAlarm2;
    if (alarm) {
      ++alarmCycles;
      if (expected.cycles % 6 == 0) ++soundsExpected;
    }

    // What the monitor shows.
    const TemperatureStats& stats = monitor.temperatures().stats();
    check(cycle, "cycle count", std::to_string(expected.cycles), std::to_string(stats.cycleCount));
    for (int slot = 0; slot < kSlots; ++slot) {
      const CoreSlotControls& ids = kCoreSlotControls[slot];
      check(cycle, "temperature", std::to_string(temperature[slot]), rig.Text(ids.temperature));
      check(cycle, "distance", std::to_string(readout[slot]), rig.Text(ids.distance));
      check(cycle, "minimum", std::to_string(expected.minTemp[slot]) + "\xC2\xB0" "C", rig.Text(ids.minimum));
      check(cycle, "maximum", std::to_string(expected.maxTemp[slot]) + "\xC2\xB0" "C", rig.Text(ids.maximum));
      check(cycle, "minimum time", expected.minTime[slot], rig.Text(ids.minimumTime));
      check(cycle, "maximum time", expected.maxTime[slot], rig.Text(ids.maximumTime));
      check(cycle, "temperature sum", std::to_string(expected.tempSum[slot]), std::to_string(stats.tempSum[slot]));
      check(cycle, "distance sum", std::to_string(expected.distanceSum[slot]),
            std::to_string(stats.distanceSum[slot]));
    }
    check(cycle, "GPU sum", std::to_string(expected.tempSum[kGpuEntry]), std::to_string(stats.tempSum[kGpuEntry]));
    check(cycle, "elapsed time",
          Text("%lld:%02lld", (expected.cycles - 1) / 3600, (expected.cycles - 1) % 3600 / 60) +
              Text(":%02lld", (expected.cycles - 1) % 60),
          rig.Text(IDC_ELAPSED_TIME));
    double loadPercent = (load(cycle / kLoadChangeEvery, 0) + load(cycle / kLoadChangeEvery, 1)) / 2;
    char loadText[32];
    std::snprintf(loadText, sizeof loadText, "Load %5.1f%%", loadPercent);
    check(cycle, "load", loadText, rig.Text(IDC_LOAD));
    if (expected.cycles > 3) {
      check(cycle, "GPU text", "GPU  " + std::to_string(gpuTemperature) + "\xC2\xB0" "C",
            rig.Text(IDC_SIGNATURE));
    }

    // Each tray icon: the application icon on odd alarm cycles at or above
    // its threshold, otherwise the number of the chosen display mode.
    for (int icon : {0, 1, kGpuEntry}) {
      bool isGpu = icon == kGpuEntry;
      int current = isGpu ? gpuTemperature : temperature[icon];
      bool distance = (iconShow & kIconShowDistance) && !isGpu;
      int value = distance ? readout[icon] : current;
      if (iconShow & kIconShowMinimum) value = distance ? expected.minDistance[icon] : expected.minTemp[icon];
      if (iconShow & kIconShowMaximum) value = distance ? expected.maxDistance[icon] : expected.maxTemp[icon];
      if (iconShow & kIconShowAverage) {
        value = expected.Average(distance ? expected.distanceSum[icon] : expected.tempSum[icon]);
      }
      bool blink = alarm && current >= (isGpu ? kAlarm2 : kAlarm1) && expected.cycles % 2 == 1;
      auto shown = rig.tray.Shown().find(kTrayIconBaseId + static_cast<uint32_t>(icon));
      check(cycle, "tray icon", blink ? "app" : std::to_string(value),
            shown == rig.tray.Shown().end() ? "missing" : shown->second.picture);
    }

    // The fixed counters are zeroed once they stand above 255 x 2^32, and
    // only then.
    for (int cpu = 0; cpu < kSlots; ++cpu) {
      for (int k = 0; k < 2; ++k) {
        bool zeroed = counterBefore[cpu][k] > kCounterZeroingThreshold;
        counterZeroings += zeroed;
        check(cycle, "fixed counter", std::to_string(zeroed ? 0 : counterBefore[cpu][k]),
              std::to_string(rig.processor.PeekMsr(cpu, kCounterRegisters[k])));
      }
    }

    for (const std::string& event : rig.desktop.TakeEvents()) {
      if (event == "sound KVWarning.wav") ++sounds;
      else ++otherEvents;
    }
    if (cycle == warmUp) {
      liveAfterWarmUp = testing::LiveBytes();
      allocationsAfterWarmUp = cycleAllocations;
    }
  }
  const long long liveAtEnd = testing::LiveBytes();
  const long long steadyCycles = soakCycles - warmUp;
  monitor.ShutDown();

  EXPECT_EQ(mismatches, 0) << firstMismatch;
  EXPECT_EQ(rig.window.flashes, alarmCycles);
  EXPECT_EQ(sounds, soundsExpected);
  // The alarm file is missing: one attempt and one box, for the whole run.
  EXPECT_EQ(otherEvents, 2);
  EXPECT_EQ(logFolder.wrongLines, 0) << logFolder.firstWrong;
  EXPECT_TRUE(logFolder.expected.empty()) << logFolder.expected.size() << " lines never written";
  EXPECT_EQ(logFolder.linesWritten, (soakCycles + 4) / 5);
  // At a quarter to full load each of the four counters reaches the
  // threshold every 6 to 24 minutes.
  EXPECT_GE(counterZeroings, soakCycles / 1500);
  EXPECT_LE(liveAtEnd - liveAfterWarmUp, 16 * 1024) << "the heap grew with the cycles";
  std::printf("%lld cycles; %lld counter zeroings; %lld log lines in %lld writes; %.2f allocations per cycle\n",
              soakCycles, counterZeroings, logFolder.linesWritten, logFolder.writes,
              steadyCycles > 0 ? static_cast<double>(cycleAllocations - allocationsAfterWarmUp) / steadyCycles : 0.0);
}

// After the first minute a cycle touches the heap no more: with the default
// settings, logging every second, three tray icons, and a metrics file, with
// the history kept, on a machine whose readings, load and clock change all the
// time; and on a two-socket server of 36 cores with all of it on.
TEST(MonitorSoak, SteadyCycleAllocatesNothing) {
  struct SteadyCase {
    const char* machine;
    const char* settings;
    int processors;
    size_t trayIcons;  // IconShow=19: cores 0 and 1, and the GPU where there is one
  };
  const SteadyCase cases[] = {
      {"e8400", "", kSlots, 1},
      {"e8400", "LogFile=1\nLogInterval=1\nHDWrite=10\n", kSlots, 1},
      {"e8400", "IconShow=19\n", kSlots, 3},
      {"e8400", "MetricsFile=korvath.prom\n", kSlots, 1},
      {"xeon-6154-2s", "LogFile=1\nLogInterval=1\nHDWrite=10\nIconShow=19\nMetricsFile=korvath.prom\n", 72, 2},
  };
  const std::string settingsPath = ::testing::TempDir() + "korvath-steady-settings.ini";
  for (const SteadyCase& steady : cases) {
    const char* settingsText = steady.settings;
    SCOPED_TRACE(std::string(steady.machine) + " " + settingsText);
    MachineParseResult parsed =
        LoadMachineDescription(std::string(KORVATH_SOURCE_DIR "/sim/machines/") + steady.machine + ".ini");
    ASSERT_TRUE(parsed.machine) << parsed.error;
    DiscardingFiles metricsFolder;
    SimulatedMonitor rig(*parsed.machine, {.settingsPath = settingsPath,
                                           .settingsText = testing::KorvathSection(settingsText),
                                           .metricsFiles = &metricsFolder});
    ASSERT_FALSE(rig.StartUp().has_value());

    long long steadyAllocations = 0;
    for (int cycle = 1; cycle <= 1200; ++cycle) {
      for (int cpu = 0; cpu < steady.processors; ++cpu) {
        int readout = 25 + static_cast<int>(Scramble(cycle, cpu) % 40);
        rig.processor.PokeMsr(cpu, 0x19C, 0x88000000ull | (static_cast<uint64_t>(readout) << 16));
        if (cycle % 7 == 0) {
          rig.processor.SetActivity(cpu, {static_cast<double>(Scramble(cycle, 9 + cpu) % 101),
                                          0.5 + (Scramble(cycle, 11) % 8) / 8.0, std::nullopt});
        }
      }
      rig.gpu.SetTemperature(0, 40 + Scramble(cycle, 7) % 40);
      rig.AdvanceToTick();
      const long long before = testing::Allocations();
      rig.monitor->OnMonitorTimer();
      if (cycle > 60) steadyAllocations += testing::Allocations() - before;
    }
    // The history was fed all along: the last second holds the last reading.
    EXPECT_EQ(rig.monitor->history()->SecondValue(0, rig.clock.UnixTime()),
              rig.monitor->temperatures().sample(0).temperature * 10);
    const std::string settings = settingsText;
    EXPECT_EQ(rig.tray.Shown().size(), steady.trayIcons);
    rig.monitor->ShutDown();
    EXPECT_EQ(steadyAllocations, 0);
    if (settings.find("LogFile") != std::string::npos) {
      EXPECT_GT(rig.log.bytes_, 1100 * 20);
    }
    if (settings.find("MetricsFile") != std::string::npos) {
      // Every cycle's file, then the one left at exit.
      EXPECT_EQ(metricsFolder.writes, 1201);
      EXPECT_EQ(metricsFolder.lastSize, MetricsStoppedText().size());
    }
  }
}

// Counts the lines korvath-sim prints and notes the live heap as each
// chosen line begins, while the run is in the middle of its cycles.
class HeapAtLines : public std::streambuf {
 public:
  explicit HeapAtLines(std::vector<long long> lines) : lines_(std::move(lines)) {}
  std::vector<long long> live;

 protected:
  int overflow(int c) override {
    if (c == '\n') {
      ++line_;
      if (next_ < lines_.size() && line_ == lines_[next_]) {
        live.push_back(testing::LiveBytes());
        ++next_;
      }
    }
    return c == EOF ? 0 : c;
  }

 private:
  std::vector<long long> lines_;
  size_t next_ = 0;
  long long line_ = 0;
};

// korvath-sim with the log on, written every second, for an hour: what the
// run keeps of the log (a short tail for the next report) does not grow.
TEST(MonitorSoak, SimulationWithLoggingStaysFlat) {
  MachineParseResult parsed = LoadMachineDescription(KORVATH_SOURCE_DIR "/sim/machines/e8400-living.ini");
  ASSERT_TRUE(parsed.machine) << parsed.error;
  HeapAtLines heap({600, 3600});
  std::ostream out(&heap);
  EXPECT_EQ(RunSimulation(*parsed.machine, std::string("[Korvath]\nLogFile=1\nLogInterval=1\nHDWrite=1\n"), 3600, out),
            0);
  ASSERT_EQ(heap.live.size(), 2u);
  // Each cycle wrote a block of about 30 bytes; kept, an hour of them would
  // be over 100 KiB.
  EXPECT_LE(heap.live[1] - heap.live[0], 4 * 1024) << "the simulation's heap grew with the cycles";
}

}  // namespace
}  // namespace korvath

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--cycles") == 0) korvath::soakCycles = std::atoll(argv[i + 1]);
  }
  if (korvath::soakCycles < 1) {
    std::fprintf(stderr, "--cycles needs a positive number\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
