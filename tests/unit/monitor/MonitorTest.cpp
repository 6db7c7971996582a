#include "monitor/Monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "MonitorRig.h"
#include "TestMachines.h"
#include "config/ScratchFile.h"
#include "monitor/CoreGrid.h"
#include "monitor/ExtraCoreControls.h"
#include "platform/FileAppender.h"
#include "platform/sim/SimulatedFiles.h"
#include "resources/resource.h"

namespace korvath {
namespace {

class NoFiles : public FileAppender {
 public:
  bool Append(const std::string& path, std::string_view bytes) override {
    writes.push_back(path + ": " + std::string(bytes));
    return true;
  }
  std::vector<std::string> writes;
};

// What the monitor writes, kept for the tests to read: a settings file of
// its own, the log's writes, the metrics files in memory.
struct KeptFiles {
  testing::ScratchFile settingsFile;
  NoFiles files;
  SimulatedFiles metricsFiles;
};

// The whole monitor on a simulated machine that records its calls, beside
// the files it writes.
class MonitorRig : public KeptFiles, public SimulatedMonitor {
 public:
  explicit MonitorRig(const MachineDescription& machine, const std::string& settings = "")
      : SimulatedMonitor(machine, {.settingsPath = settingsFile.path(),
                                   .settingsText = testing::KorvathSection(settings),
                                   .logFiles = &files,
                                   .metricsFiles = &metricsFiles,
                                   .executableFolder = "C:\\Korvath\\",
                                   .record = CallRecord::kOn}) {}

  std::string SettingsFile() const { return settingsFile.Read(); }
};

MachineDescription WithoutGpu(MachineDescription machine) {
  machine.hasGpu = false;
  machine.gpuTemperatures.clear();
  return machine;
}

TEST(Monitor, StartUpOpensIdentifiesAndArmsTheFirstTick) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  std::vector<std::string> events = rig.processor.EventStrings();
  // The hardware is opened before any register is read.
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events[0], "open");
  EXPECT_EQ(events[1], "status");
  EXPECT_EQ(events[2], "msr-support");
  EXPECT_EQ(rig.window.timers.at(kMonitorTimerId), kFirstTickMs);
  EXPECT_TRUE(rig.window.mayShow);
  EXPECT_EQ(rig.Text(IDC_MODEL_NUMBER), "");  // texts reach the controls only with the first cycle
  rig.Tick();
  EXPECT_EQ(rig.window.timers.at(kMonitorTimerId), kCyclePeriodMs);
  EXPECT_EQ(rig.Text(IDC_MODEL_NUMBER), "E8400");
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE0), "62");
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE2), "");  // absent slot
  EXPECT_EQ(rig.Text(IDC_THERMAL_STATUS3), "");
  EXPECT_EQ(rig.monitor->trayTipText(), "Core 0:  62\xC2\xB0" "C\nCore 1:  62\xC2\xB0" "C");
  EXPECT_EQ(rig.monitor->titleText(), "62\xC2\xB0" "C 62\xC2\xB0" "C");
}

TEST(Monitor, FatalPathsEndTheStartUpBeforeTheTimer) {
  MachineDescription noDriver = testing::LoadMachine("e8400");
  noDriver.driverStatus = 3;
  MonitorRig driverRig(noDriver);
  std::optional<FatalError> fatal = driverRig.StartUp();
  ASSERT_TRUE(fatal.has_value());
  EXPECT_EQ(fatal->caption, "Driver Error");
  EXPECT_EQ(fatal->text, "Driver Not Found");
  EXPECT_TRUE(driverRig.window.timers.empty());

  MonitorRig unsupported(testing::LoadMachine("pentium-d"));
  fatal = unsupported.StartUp();
  ASSERT_TRUE(fatal.has_value());
  EXPECT_EQ(fatal->caption, "Error");
  EXPECT_TRUE(unsupported.window.timers.empty());
  EXPECT_EQ(unsupported.SettingsFile(), "");  // nothing was written on the way out
}

TEST(Monitor, GpuTextFromTheFourthCycleAndNeverWithoutAGpu) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  for (int cycle = 1; cycle <= 3; ++cycle) {
    rig.Tick();
    EXPECT_EQ(rig.Text(IDC_SIGNATURE), "1067A") << cycle;
  }
  rig.Tick();
  EXPECT_EQ(rig.Text(IDC_SIGNATURE), "GPU  61\xC2\xB0" "C");  // the hotter of 55 and 61
  EXPECT_EQ(rig.monitor->temperatures().stats().maxTemp[kGpuEntry], 61);

  MonitorRig noGpu(WithoutGpu(testing::LoadMachine("e8400")), "IconShow=31\nAlarm2=90\n");
  ASSERT_FALSE(noGpu.StartUp().has_value());
  for (int cycle = 1; cycle <= 6; ++cycle) noGpu.Tick();
  EXPECT_EQ(noGpu.Text(IDC_SIGNATURE), "1067A");
  EXPECT_EQ(noGpu.monitor->settings().alarm2, 0);
  EXPECT_EQ(noGpu.monitor->settings().iconShow & kIconShowGpu, 0u);

  MonitorRig switchedOff(testing::LoadMachine("e8400"), "NoGPU=1\n");
  ASSERT_FALSE(switchedOff.StartUp().has_value());
  for (int cycle = 1; cycle <= 5; ++cycle) switchedOff.Tick();
  EXPECT_EQ(switchedOff.Text(IDC_SIGNATURE), "1067A");
  EXPECT_FALSE(switchedOff.monitor->gpuReading());
}

// Core 1 reads 127 below TjMax with the high-temperature signal on: one
// degree above TjMax, which the window shows as 101 and "HOT".
MachineDescription E8400WithCore1AboveTjMax(bool gpu) {
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.msrOverrides[1][0x19C] = 0x007F0003;
  return gpu ? machine : WithoutGpu(machine);
}

std::string MetricsHeadE8400() {
  return "# HELP korvath_up 1 while Korvath writes this file.\n"
         "# TYPE korvath_up gauge\n"
         "korvath_up 1\n"
         "# HELP korvath_info The processor's model and signature and the version of Korvath.\n"
         "# TYPE korvath_info gauge\n"
         "korvath_info{model=\"E8400\",signature=\"1067A\",version=\"2.90\"} 1\n"
         "# HELP korvath_core_temperature_celsius Core temperature in degrees Celsius.\n"
         "# TYPE korvath_core_temperature_celsius gauge\n"
         "korvath_core_temperature_celsius{core=\"0\"} 62\n"
         "korvath_core_temperature_celsius{core=\"1\"} 101\n"
         "# HELP korvath_core_tjmax_celsius Maximum junction temperature (TjMax) of the core in degrees Celsius.\n"
         "# TYPE korvath_core_tjmax_celsius gauge\n"
         "korvath_core_tjmax_celsius{core=\"0\"} 100\n"
         "korvath_core_tjmax_celsius{core=\"1\"} 100\n"
         "# HELP korvath_core_distance_to_tjmax_celsius Degrees Celsius the core runs below its TjMax; negative above it.\n"
         "# TYPE korvath_core_distance_to_tjmax_celsius gauge\n"
         "korvath_core_distance_to_tjmax_celsius{core=\"0\"} 38\n"
         "korvath_core_distance_to_tjmax_celsius{core=\"1\"} -1\n"
         "# HELP korvath_core_temperature_min_celsius Lowest core temperature since the start or the last Reset, in "
         "degrees Celsius.\n"
         "# TYPE korvath_core_temperature_min_celsius gauge\n"
         "korvath_core_temperature_min_celsius{core=\"0\"} 62\n"
         "korvath_core_temperature_min_celsius{core=\"1\"} 101\n"
         "# HELP korvath_core_temperature_max_celsius Highest core temperature since the start or the last Reset, in "
         "degrees Celsius.\n"
         "# TYPE korvath_core_temperature_max_celsius gauge\n"
         "korvath_core_temperature_max_celsius{core=\"0\"} 62\n"
         "korvath_core_temperature_max_celsius{core=\"1\"} 101\n"
         "# HELP korvath_core_thermal_status Thermal status of the core: 1 for the one it has (OK, LOG or HOT).\n"
         "# TYPE korvath_core_thermal_status gauge\n"
         "korvath_core_thermal_status{core=\"0\",status=\"OK\"} 1\n"
         "korvath_core_thermal_status{core=\"0\",status=\"LOG\"} 0\n"
         "korvath_core_thermal_status{core=\"0\",status=\"HOT\"} 0\n"
         "korvath_core_thermal_status{core=\"1\",status=\"OK\"} 0\n"
         "korvath_core_thermal_status{core=\"1\",status=\"LOG\"} 0\n"
         "korvath_core_thermal_status{core=\"1\",status=\"HOT\"} 1\n"
         "# HELP korvath_core_sensor_read_failures_total Sensor reads of the core refused since Korvath started.\n"
         "# TYPE korvath_core_sensor_read_failures_total counter\n"
         "korvath_core_sensor_read_failures_total{core=\"0\"} 0\n"
         "korvath_core_sensor_read_failures_total{core=\"1\"} 0\n"
         "# HELP korvath_cpu_clock_mhz Processor clock speed in MHz.\n"
         "# TYPE korvath_cpu_clock_mhz gauge\n"
         "korvath_cpu_clock_mhz 3000.00\n"
         "# HELP korvath_cpu_bus_mhz Bus speed in MHz.\n"
         "# TYPE korvath_cpu_bus_mhz gauge\n"
         "korvath_cpu_bus_mhz 333.33\n"
         "# HELP korvath_cpu_multiplier Current multiplier of the processor.\n"
         "# TYPE korvath_cpu_multiplier gauge\n"
         "korvath_cpu_multiplier 9.0\n"
         "# HELP korvath_cpu_load_ratio Average load over all processors, 0 to 1.\n"
         "# TYPE korvath_cpu_load_ratio gauge\n"
         "korvath_cpu_load_ratio 0.000\n";
}

std::string MetricsTail(const char* gpuAlarm, int cycles, int64_t time) {
  return "# HELP korvath_alarm_active 1 while the source's temperature is at or above its alarm threshold (alarms "
         "on).\n"
         "# TYPE korvath_alarm_active gauge\n"
         "korvath_alarm_active{source=\"cpu\"} 1\n"
         "korvath_alarm_active{source=\"gpu\"} " + std::string(gpuAlarm) + "\n"
         "# HELP korvath_monitor_cycles_total Monitor cycles run since Korvath started.\n"
         "# TYPE korvath_monitor_cycles_total counter\n"
         "korvath_monitor_cycles_total " + std::to_string(cycles) + "\n"
         "# HELP korvath_last_update_timestamp_seconds Time of the cycle that wrote this file, in seconds since "
         "1970-01-01 UTC.\n"
         "# TYPE korvath_last_update_timestamp_seconds gauge\n"
         "korvath_last_update_timestamp_seconds " + std::to_string(time) + "\n";
}

// The file says what the window shows in the same cycle. The cycle counter
// goes on through a Reset, which restarts the window's elapsed time.
TEST(Monitor, MetricsFileCarriesTheNumbersTheWindowShows) {
  const std::string settings = "MetricsFile=korvath.prom\nAlarm=1\nAlarm1=101\nAlarm2=61\n";
  const std::string path = "C:\\Korvath\\korvath.prom";
  const int64_t noon = 1796644800;  // the simulated clock's start, Mon Dec 7 2026 12:00:00

  MonitorRig rig(E8400WithCore1AboveTjMax(true), settings);
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  rig.Tick();
  rig.monitor->ResetStatistics();
  rig.Tick();
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE0), "62");
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE1), "101");
  EXPECT_EQ(rig.Text(IDC_THERMAL_STATUS1), "HOT");
  EXPECT_EQ(rig.Text(IDC_ELAPSED_TIME), "0:00:00");
  EXPECT_EQ(rig.metricsFiles.Read(path),
            MetricsHeadE8400() +
                "# HELP korvath_gpu_temperature_celsius GPU temperature in degrees Celsius.\n"
                "# TYPE korvath_gpu_temperature_celsius gauge\n"
                "korvath_gpu_temperature_celsius 61\n"
                "# HELP korvath_gpu_temperature_min_celsius Lowest GPU temperature since the start or the last Reset, "
                "in degrees Celsius.\n"
                "# TYPE korvath_gpu_temperature_min_celsius gauge\n"
                "korvath_gpu_temperature_min_celsius 61\n"
                "# HELP korvath_gpu_temperature_max_celsius Highest GPU temperature since the start or the last "
                "Reset, in degrees Celsius.\n"
                "# TYPE korvath_gpu_temperature_max_celsius gauge\n"
                "korvath_gpu_temperature_max_celsius 61\n" +
                MetricsTail("1", 3, noon + 2));
  EXPECT_EQ(rig.metricsFiles.Files().size(), 1u);  // no temporary file left

  MonitorRig noGpu(E8400WithCore1AboveTjMax(false), settings);
  ASSERT_FALSE(noGpu.StartUp().has_value());
  noGpu.Tick();
  EXPECT_EQ(noGpu.metricsFiles.Read(path), MetricsHeadE8400() + MetricsTail("0", 1, noon));
}

// A newer processor with a package sensor: the clock from its own nominal
// ratio and the counters, and the package read once a cycle into the log and
// the metrics file, with nothing for a cycle whose reading is not valid.
TEST(Monitor, NewerProcessorShowsItsClockAndLogsItsPackage) {
  const std::string machine =
      "[cpuid]\n0x0 = 0x16 0x756E6547 0x6C65746E 0x49656E69\n0x1 = 0x906EA 0x00100800 0x7FFAFBFF 0xBFEBFBFF\n"
      "0x6 = 0x45 0 0 0\n[system]\naffinity = 0x1\ntsc_mhz = 3700\n"
      "[msr]\n0xCE = 0x0000080000002500\n0x1A2 = 0x640000\n0x19C = 0x88370000\n0x1B1 = 0x88380000\n"
      "[counters]\nload = 10\nratio = 0.2162162162\n";
  MonitorRig rig(testing::ParseMachine(machine), "MetricsFile=korvath.prom\nLogFile=1\nLogInterval=1\nHDWrite=1\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  const std::string series = "korvath_package_temperature_celsius{package=\"0\"} ";
  auto lastLogLine = [&rig] { return rig.files.writes.back().substr(rig.files.writes.back().rfind(':')); };
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.Text(IDC_CLOCK_SPEED), "800.00 MHz");
  EXPECT_EQ(rig.Text(IDC_BUS_MULTIPLIER), "100.00 x 8.0");
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE0), "45");
  EXPECT_EQ(rig.monitor->packages().temperature(0), 44);
  EXPECT_EQ(lastLogLine(), ":01 45 44\r\n");
  EXPECT_NE(rig.metricsFiles.Read("C:\\Korvath\\korvath.prom").find(series + "44\n"), std::string::npos);

  rig.processor.PokeMsr(0, kMsrPackageThermStatus, 0x08300000);  // not valid
  rig.Tick();
  EXPECT_EQ(rig.monitor->packages().temperature(0), std::nullopt);
  EXPECT_EQ(lastLogLine(), ":02 45 \r\n");
  EXPECT_EQ(rig.metricsFiles.Read("C:\\Korvath\\korvath.prom").find(series), std::string::npos);
  rig.processor.PokeMsr(0, kMsrPackageThermStatus, 0x88300000);
  rig.Tick();
  EXPECT_EQ(lastLogLine(), ":03 45 52\r\n");
}

// A missing folder, a read-only or locked file and a full disk cost that
// cycle's file and nothing else: the log, the window and the tray go on, no
// temporary file stays, and the next cycle writes again. Without the key
// nothing is written at all.
TEST(Monitor, MetricsFileFaultsSkipOnlyThatCyclesFile) {
  const std::string folder = "C:\\Korvath";
  const std::string path = folder + "\\korvath.prom";
  const std::vector<std::pair<const char*, std::function<void(SimulatedFiles&, bool)>>> faults = {
      {"folder missing", [&](SimulatedFiles& files, bool on) { files.SetFolderMissing(folder, on); }},
      {"target read-only", [&](SimulatedFiles& files, bool on) { files.SetReadOnly(path, on); }},
      {"target locked", [&](SimulatedFiles& files, bool on) { files.SetLocked(path, on); }},
      {"disk full", [&](SimulatedFiles& files, bool on) { files.SetCapacity(on ? std::optional<size_t>(200) : std::nullopt); }},
  };
  for (const auto& [name, setFault] : faults) {
    SCOPED_TRACE(name);
    MonitorRig rig(testing::LoadMachine("e8400"), "MetricsFile=korvath.prom\nLogFile=1\nLogInterval=1\nHDWrite=1\n");
    ASSERT_FALSE(rig.StartUp().has_value());
    rig.Tick();
    const std::string first = rig.metricsFiles.Read(path);
    ASSERT_NE(first.find("korvath_monitor_cycles_total 1\n"), std::string::npos);

    setFault(rig.metricsFiles, true);
    rig.Tick();
    EXPECT_EQ(rig.metricsFiles.Read(path), first);
    EXPECT_FALSE(rig.metricsFiles.Exists(path + ".tmp"));
    EXPECT_EQ(rig.files.writes.size(), 2u);
    EXPECT_EQ(rig.Text(IDC_ELAPSED_TIME), "0:00:01");
    EXPECT_TRUE(rig.desktop.TakeEvents().empty());  // no message box

    setFault(rig.metricsFiles, false);
    rig.Tick();
    EXPECT_NE(rig.metricsFiles.Read(path).find("korvath_monitor_cycles_total 3\n"), std::string::npos);
    EXPECT_EQ(rig.metricsFiles.Files().size(), 1u);
  }

  MonitorRig off(testing::LoadMachine("e8400"));
  ASSERT_FALSE(off.StartUp().has_value());
  off.Tick();
  EXPECT_EQ(off.monitor->metrics(), nullptr);
  EXPECT_EQ(off.metricsFiles.Calls(), 0);
}

TEST(Monitor, FirstTickAddsIconsGpuFirstAndMinimisesWhenAsked) {
  MonitorRig rig(testing::LoadMachine("e8400"), "IconShow=31\nStartMinimized=1\nTaskBar=1\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  EXPECT_TRUE(rig.window.mayShow);  // TaskBar keeps the window reachable
  rig.Tick();
  EXPECT_TRUE(rig.window.minimized);
  std::vector<int> added = rig.monitor->tray().AddedIcons();
  EXPECT_EQ(added, (std::vector<int>{4, 1, 0}));
  EXPECT_EQ(rig.tray.Shown().at(4298).tip, " GPU ");
  EXPECT_EQ(rig.tray.Shown().at(4295).tip, "Core 1");

  MonitorRig hidden(testing::LoadMachine("e8400"), "StartMinimized=1\n");
  ASSERT_FALSE(hidden.StartUp().has_value());
  EXPECT_FALSE(hidden.window.mayShow);  // only the tray icons show
}

TEST(Monitor, MiniModeShowsTemperaturesInTheTitleAndSkipsTheZOrder) {
  MonitorRig rig(testing::LoadMachine("e8400"), "MiniMode=1\nOnTop=1\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  EXPECT_TRUE(rig.window.miniMode);
  EXPECT_EQ(rig.monitor->settings().miniMode, 1);
  EXPECT_EQ(rig.window.title, "62\xC2\xB0" "C 62\xC2\xB0" "C");
  EXPECT_FALSE(rig.window.topmost);
  // The full window the mini one came from, never the mini window itself.
  EXPECT_EQ(rig.monitor->normalWindowRect(), (WindowRect{100, 100, 418, 478}));
  rig.monitor->ToggleMiniMode();
  rig.Tick();
  EXPECT_TRUE(rig.window.topmost);
  EXPECT_TRUE(rig.monitor->normalWindowRectSet());

  // Minimised, the title shows the temperatures and the normal rectangle stays.
  WindowRect normal = rig.window.rect;
  rig.window.minimized = true;
  rig.window.rect = {-32000, -32000, -31840, -31972};
  rig.window.title = "Korvath 2.90";
  rig.Tick();
  EXPECT_EQ(rig.window.title, "62\xC2\xB0" "C 62\xC2\xB0" "C");
  EXPECT_EQ(rig.monitor->normalWindowRect(), normal);
}

// The settings file after a run, without its section line, to start the next run with.
std::string NextRunSettings(const MonitorRig& rig) {
  std::string file = rig.SettingsFile();
  return file.substr(file.find('\n') + 1);
}

TEST(Monitor, WindowXYIsAScreenPositionThatRestartsInMiniModeKeep) {
  std::string settings = "WindowXY=" + std::to_string(PackPosition({300, 200})) + "\nMiniMode=1\n";
  WindowRect mini;
  for (int run = 0; run < 4; ++run) {
    SCOPED_TRACE(run);
    MonitorRig rig(testing::LoadMachine("e8400"), settings);
    ASSERT_FALSE(rig.StartUp().has_value());
    // Windows made the dialog at (100, 100); the saved corner is not an offset from there.
    EXPECT_EQ(rig.window.rect.left, run == 0 ? 300 : 340);
    EXPECT_EQ(rig.window.rect.top, 200);
    rig.Tick();
    rig.Tick();
    ASSERT_TRUE(rig.window.miniMode);
    if (run == 0) {
      rig.window.MoveWindowBy(40, 0);  // the mini window dragged once, then left alone
      rig.Tick();
      mini = rig.window.rect;
    }
    EXPECT_EQ(rig.window.rect, mini);
    rig.monitor->ShutDown();
    settings = NextRunSettings(rig);
    EXPECT_NE(settings.find("WindowXY=" + std::to_string(PackPosition({340, 200}))), std::string::npos) << settings;
  }
}

TEST(Monitor, WindowXYOffEveryScreenOpensWhereWindowsPutsIt) {
  std::string farAway = "WindowXY=" + std::to_string(PackPosition({5000, 4000})) + "\n";
  MonitorRig rig(testing::LoadMachine("e8400"), farAway);
  ASSERT_FALSE(rig.StartUp().has_value());
  EXPECT_EQ(rig.window.rect, (WindowRect{100, 100, 418, 478}));
  rig.Tick();
  rig.monitor->ShutDown();
  EXPECT_NE(rig.SettingsFile().find(farAway), std::string::npos) << rig.SettingsFile();  // kept until moved

  MonitorRig moved(testing::LoadMachine("e8400"), farAway);
  ASSERT_FALSE(moved.StartUp().has_value());
  moved.Tick();
  moved.window.MoveWindowBy(10, 0);
  moved.Tick();
  moved.monitor->ShutDown();
  EXPECT_NE(moved.SettingsFile().find("WindowXY=" + std::to_string(PackPosition({110, 100}))), std::string::npos)
      << moved.SettingsFile();
}

TEST(Monitor, ResetRestartsTheStatisticsAndPushesTheTexts) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  for (int cycle = 0; cycle < 3; ++cycle) rig.Tick();
  rig.monitor->ResetStatistics();
  EXPECT_EQ(rig.monitor->temperatures().stats().cycleCount, 0u);
  EXPECT_EQ(rig.Text(IDC_MINIMUM0), "");
  rig.Tick();
  EXPECT_EQ(rig.monitor->temperatures().stats().cycleCount, 1u);
  EXPECT_EQ(rig.Text(IDC_MINIMUM0), "62\xC2\xB0" "C");
}

TEST(Monitor, ShutdownSavesTheWindowStateThenPutsTheHardwareBack) {
  MonitorRig rig(testing::LoadMachine("e8400"), "TjMax1=95\nClockMod=16\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  rig.processor.ClearEvents();
  rig.monitor->ShutDown();
  EXPECT_TRUE(rig.window.timers.empty());
  EXPECT_TRUE(rig.window.gdiObjectsDeleted);
  EXPECT_EQ(rig.tray.LiveIcons(), 0u);
  std::string file = rig.SettingsFile();
  EXPECT_NE(file.find("TjMax1=95"), std::string::npos) << file;  // keys it does not own stay
  EXPECT_NE(file.find("ClockMod=18"), std::string::npos) << file;  // 16 was applied as 18
  EXPECT_NE(file.find("APICID=01"), std::string::npos) << file;
  std::vector<std::string> events = rig.processor.EventStrings();
  auto position = [&](const std::string& event) {
    return std::find(events.begin(), events.end(), event) - events.begin();
  };
  // Modulation read for saving, then switched off, then the library closed last.
  EXPECT_LT(position("read cpu0 0x19A"), position("write cpu0 0x19A 0x2"));
  EXPECT_EQ(events.back(), "close");
  rig.monitor->OnMonitorTimer();  // a late timer message does nothing
  EXPECT_EQ(rig.processor.EventStrings().back(), "close");
}

// The end of the session runs the shutdown; the window's destruction, if it
// still comes, finds it done and writes nothing over what was saved.
TEST(Monitor, ShutdownRunsOnceWithEveryBufferedLineWritten) {
  MonitorRig rig(testing::LoadMachine("e8400"), "LogFile=1\nLogInterval=1\nHDWrite=86400\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  for (int cycle = 0; cycle < 7; ++cycle) rig.Tick();
  EXPECT_TRUE(rig.files.writes.empty());
  rig.monitor->ShutDown();
  ASSERT_EQ(rig.files.writes.size(), 1u);
  EXPECT_EQ(std::count(rig.files.writes[0].begin(), rig.files.writes[0].end(), '\n'), 7);
  rig.settingsFile.Write("[Korvath]\nMiniMode=1\n");
  rig.processor.ClearEvents();
  rig.monitor->ShutDown();
  EXPECT_EQ(rig.files.writes.size(), 1u);
  EXPECT_EQ(rig.SettingsFile(), "[Korvath]\nMiniMode=1\n");
  EXPECT_TRUE(rig.processor.EventStrings().empty());
}

// No icon in the tray, for whatever reason: the task-bar behaviour is on for
// the run and a window that started hidden shows as a task-bar button.
TEST(Monitor, WithoutATrayIconTheWindowIsReachedThroughTheTaskBar) {
  struct Case {
    const char* name;
    bool gpu;
    const char* settings;
  };
  for (const Case& c : {Case{"none asked for", true, "IconShow=0\n"},
                        Case{"GPU icon without a GPU reading", false, "IconShow=16\n"},
                        Case{"GPU icon with GPU reading off", true, "IconShow=16\nNoGPU=1\n"}}) {
    MachineDescription machine = testing::LoadMachine("e8400");
    MonitorRig rig(c.gpu ? machine : WithoutGpu(machine), std::string("StartMinimized=1\n") + c.settings);
    ASSERT_FALSE(rig.StartUp().has_value());
    EXPECT_FALSE(rig.window.mayShow) << c.name;
    rig.Tick();
    EXPECT_TRUE(rig.window.mayShow) << c.name;
    EXPECT_TRUE(rig.window.minimized) << c.name;
    EXPECT_EQ(rig.window.taskBarShows, 1) << c.name;
    EXPECT_EQ(rig.monitor->settings().taskBar, 1) << c.name;
  }
}

// A shell that never came up within the two minutes: the window becomes
// reachable, the icons come once Explorer starts, and the exit saves the
// icons the user chose, not what this run could show.
TEST(Monitor, TrayGiveUpKeepsTheUsersIconsAndExplorerBringsThemBack) {
  MonitorRig rig(testing::LoadMachine("e8400"), "StartMinimized=1\nIconShow=3\n");
  rig.tray.refuseAdds = 1000000;
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  EXPECT_FALSE(rig.window.mayShow);  // still waiting for the shell
  int retries = 0;
  while (rig.window.timers.count(kTrayRetryTimerId) != 0 && retries < 100) {
    rig.clock.AdvanceMilliseconds(kTrayRetryPeriodMs);
    rig.monitor->OnTrayRetryTimer();
    ++retries;
  }
  EXPECT_EQ(retries, 48);
  EXPECT_TRUE(rig.window.mayShow);
  EXPECT_EQ(rig.window.taskBarShows, 1);
  EXPECT_EQ(rig.monitor->settings().taskBar, 1);

  rig.tray.refuseAdds = 0;
  rig.monitor->OnTaskbarCreated();
  rig.Tick();
  EXPECT_EQ(rig.tray.Shown().at(4294).picture, "62");
  EXPECT_EQ(rig.tray.Shown().at(4295).picture, "62");
  rig.monitor->ShutDown();
  EXPECT_TRUE(rig.tray.Shown().empty());
  std::string file = rig.SettingsFile();
  EXPECT_NE(file.find("IconShow=3"), std::string::npos) << file;
  EXPECT_EQ(file.find("TaskBar"), std::string::npos) << file;
}

// A machine whose Windows refuses the library's driver: the read-only driver
// gives the same readings, and nothing is ever written to a register, from
// start-up (ClockMod, the fixed counters) to the exit.
TEST(Monitor, OnTheReadOnlyDriverEveryReadingShowsAndNothingIsWritten) {
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.activity.loadPercent = 50;
  MonitorRig library(machine);
  machine.driverStatus = 2;
  machine.readOnlyDriver = true;
  MonitorRig readOnly(machine, "ClockMod=26\n");
  ASSERT_FALSE(library.StartUp().has_value());
  ASSERT_FALSE(readOnly.StartUp().has_value());
  for (int cycle = 0; cycle < 3; ++cycle) {
    library.Tick();
    readOnly.Tick();
  }
  for (int id : {IDC_MODEL_NUMBER, IDC_TEMPERATURE0, IDC_DISTANCE1, IDC_CLOCK_SPEED, IDC_BUS_MULTIPLIER, IDC_LOAD}) {
    EXPECT_EQ(readOnly.Text(id), library.Text(id)) << id;
  }
  EXPECT_EQ(readOnly.Text(IDC_LOAD), "Load  50.0%");
  readOnly.monitor->ShutDown();
  EXPECT_NE(readOnly.SettingsFile().find("ClockMod=26"), std::string::npos) << readOnly.SettingsFile();
  std::vector<std::string> events = readOnly.processor.EventStrings();
  for (const std::string& event : events) EXPECT_EQ(event.rfind("write", 0), std::string::npos) << event;
  EXPECT_EQ(events.back(), "close");
}

TEST(Monitor, AnchorIsSetWithShiftAndReachedWithout) {
  MonitorRig rig(testing::LoadMachine("e8400"), "AnchorXY=537206764\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  EXPECT_EQ(rig.monitor->anchorPoint(), (ScreenPoint{-20, 5}));
  EXPECT_EQ(rig.monitor->OnAnchorDoubleClick(false), std::nullopt);
  EXPECT_EQ(rig.window.rect, (WindowRect{-20, 5, 298, 383}));

  rig.window.MoveWindowBy(120, 35);
  EXPECT_EQ(rig.monitor->OnAnchorDoubleClick(true), "Previous Position\n( -20, 5 )\n\nNew Position\n( 100, 40 )\n");
  EXPECT_EQ(rig.monitor->OnAnchorDoubleClick(true), "Current Position\n( 100, 40 )\n");
  rig.monitor->ShutDown();
  EXPECT_NE(rig.SettingsFile().find("AnchorXY=539500644"), std::string::npos) << rig.SettingsFile();
}

TEST(Monitor, HoverReportsOnlyOutsideMiniMode) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  std::optional<HoverReport> minimum = rig.monitor->HoverReportAt(40, 200, 312);
  ASSERT_TRUE(minimum.has_value());
  EXPECT_EQ(minimum->kind, HoverReport::Kind::kPopup);
  EXPECT_EQ(minimum->text, HoverDateText(rig.monitor->temperatures().stats().minTime[0]));
  // The E8400 has two cores: column 3 of the Maximum band is empty.
  EXPECT_EQ(rig.monitor->HoverReportAt(260, 260, 312), std::nullopt);
  rig.monitor->ToggleMiniMode();
  EXPECT_EQ(rig.monitor->HoverReportAt(40, 200, 312), std::nullopt);
}

// A further core's minimum or maximum, or the time of either, reports its
// date as a slot's does; its label and the other readings report nothing.
TEST(Monitor, HoverReportsTheRecordsOfEveryCore) {
  MonitorRig rig(testing::LoadMachine("i9-12900k"));
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  const TemperatureMonitor& temperatures = rig.monitor->temperatures();
  std::vector<CoreType> types;
  for (int core = 0; core < temperatures.displayCoreCount(); ++core) types.push_back(temperatures.Core(core).type);
  ASSERT_EQ(types.size(), 16u);
  CoreGridLayout grid = LayOutCoreGrid({16, types, 1, {}, 1272, 950});
  auto at = [&](CoreField field) {
    WindowRect rect = grid.RectOf(ExtraCoreControlId(13, field));
    return rig.monitor->HoverReportAt(rect.left + 1, rect.top + 1, grid.clientWidth, {}, &grid);
  };
  HoverReport minimum{HoverReport::Kind::kPopup, HoverDateText(temperatures.Core(13).minTime)};
  HoverReport maximum{HoverReport::Kind::kPopup, HoverDateText(temperatures.Core(13).maxTime)};
  EXPECT_EQ(at(CoreField::kMinimum), minimum);
  EXPECT_EQ(at(CoreField::kMinimumTime), minimum);
  EXPECT_EQ(at(CoreField::kMaximumTime), maximum);
  EXPECT_EQ(at(CoreField::kLabel), std::nullopt);
  EXPECT_EQ(at(CoreField::kTemperature), std::nullopt);
  rig.monitor->ToggleMiniMode();
  EXPECT_EQ(at(CoreField::kMinimum), std::nullopt);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The series a core has only in a cycle whose sensor read succeeded.
bool IsCoreReading(const std::string& line) {
  for (const char* name : {"korvath_core_temperature_celsius{", "korvath_core_tjmax_celsius{",
                           "korvath_core_distance_to_tjmax_celsius{", "korvath_core_thermal_status{"}) {
    if (line.rfind(name, 0) == 0) return true;
  }
  return false;
}

// read_fails_every: now and then a register read fails. A refused read is no
// reading: the monitor shows, records, alarms and logs exactly what it does on
// the same machine without failures, only from its last good readings.
TEST(Monitor, FailedRegisterReadsChangeNothingShown) {
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.activity.loadPercent = 50;
  machine.activity.busRatio = 9.0;
  const std::string settings = "LogFile=1\nLogInterval=1\nHDWrite=1\nAlarm=1\nAlarm1=60\nMetricsFile=korvath.prom\n";
  MonitorRig clean(machine, settings);
  machine.readFailsEvery = 5;
  MonitorRig failing(machine, settings);
  ASSERT_FALSE(clean.StartUp().has_value());
  ASSERT_FALSE(failing.StartUp().has_value());
  const std::string metrics = "C:\\Korvath\\korvath.prom";
  const int shown[] = {IDC_TEMPERATURE0, IDC_TEMPERATURE1, IDC_MINIMUM0, IDC_MAXIMUM0, IDC_MAXIMUM1,
                       IDC_LOAD,         IDC_BUS_MULTIPLIER, IDC_CLOCK_SPEED};
  for (int cycle = 1; cycle <= 60; ++cycle) {
    clean.Tick();
    failing.Tick();
    for (int id : shown) EXPECT_EQ(failing.Text(id), clean.Text(id)) << "cycle " << cycle << ", control " << id;
    EXPECT_EQ(failing.desktop.TakeEvents(), clean.desktop.TakeEvents()) << "cycle " << cycle;
    // The failing run's file says no number the clean one does not; it only
    // leaves out a core's readings in a cycle whose read was refused.
    std::vector<std::string> failingLines = Lines(failing.metricsFiles.Read(metrics));
    std::vector<std::string> cleanLines = Lines(clean.metricsFiles.Read(metrics));
    auto in = [](const std::vector<std::string>& lines, const std::string& line) {
      return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    for (const std::string& line : failingLines) {
      if (line.rfind("korvath_core_sensor_read_failures_total{", 0) == 0) continue;
      EXPECT_TRUE(in(cleanLines, line)) << "cycle " << cycle << ": " << line;
    }
    for (const std::string& line : cleanLines) {
      if (line[0] == '#' || IsCoreReading(line) || line.rfind("korvath_core_sensor", 0) == 0) continue;
      EXPECT_TRUE(in(failingLines, line)) << "cycle " << cycle << ": " << line;
    }
  }
  EXPECT_EQ(clean.Text(IDC_BUS_MULTIPLIER), "333.33 x 9.0");
  EXPECT_EQ(failing.files.writes, clean.files.writes);
  EXPECT_EQ(failing.monitor->temperatures().stats().AverageTemperature(0),
            clean.monitor->temperatures().stats().AverageTemperature(0));
  // A sensor never read has no number in the window, nor in the file.
  machine.readFailsEvery = 1;
  MonitorRig unread(machine, settings);
  ASSERT_FALSE(unread.StartUp().has_value());
  unread.Tick();
  EXPECT_EQ(unread.metricsFiles.Read(metrics).find("korvath_core_temperature_celsius{"), std::string::npos);
}

// After a Reset and a refused read the window shows no records and no new
// reading of that core; a GPU that has not answered yet, or missed this
// cycle, gives no number; and once Korvath ends only korvath_up 0 is left.
TEST(Monitor, MetricsFileSaysNothingTheWindowDoesNot) {
  const std::string path = "C:\\Korvath\\korvath.prom";
  MonitorRig rig(testing::LoadMachine("e8400"), "MetricsFile=korvath.prom\n");
  rig.gpu.SetTemperature(0, 0);
  rig.gpu.SetTemperature(1, 0);
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.Tick();
  EXPECT_EQ(rig.metricsFiles.Read(path).find("korvath_gpu"), std::string::npos);  // silent so far
  rig.gpu.SetTemperature(1, 61);
  rig.Tick();
  EXPECT_NE(rig.metricsFiles.Read(path).find("\nkorvath_gpu_temperature_celsius 61\n"), std::string::npos);
  rig.gpu.SetTemperature(1, 0);  // missed: the window holds 61, which is no reading
  rig.monitor->ResetStatistics();
  rig.processor.RefuseThreadAffinity(0x2);  // core 1's sensor cannot be read
  rig.Tick();
  EXPECT_EQ(rig.Text(IDC_TEMPERATURE1), "62");
  EXPECT_EQ(rig.Text(IDC_MINIMUM1), "");
  EXPECT_EQ(rig.Text(IDC_MINIMUM0), "62\xC2\xB0" "C");
  const std::string text = rig.metricsFiles.Read(path);
  EXPECT_EQ(text.find("korvath_gpu"), std::string::npos);
  size_t cores = text.find("# HELP korvath_core_temperature_celsius");
  size_t clock = text.find("# HELP korvath_cpu_clock_mhz");
  ASSERT_LT(cores, clock);
  EXPECT_EQ(text.substr(cores, clock - cores),
            "# HELP korvath_core_temperature_celsius Core temperature in degrees Celsius.\n"
            "# TYPE korvath_core_temperature_celsius gauge\n"
            "korvath_core_temperature_celsius{core=\"0\"} 62\n"
            "# HELP korvath_core_tjmax_celsius Maximum junction temperature (TjMax) of the core in degrees Celsius.\n"
            "# TYPE korvath_core_tjmax_celsius gauge\n"
            "korvath_core_tjmax_celsius{core=\"0\"} 100\n"
            "# HELP korvath_core_distance_to_tjmax_celsius Degrees Celsius the core runs below its TjMax; negative "
            "above it.\n"
            "# TYPE korvath_core_distance_to_tjmax_celsius gauge\n"
            "korvath_core_distance_to_tjmax_celsius{core=\"0\"} 38\n"
            "# HELP korvath_core_temperature_min_celsius Lowest core temperature since the start or the last Reset, "
            "in degrees Celsius.\n"
            "# TYPE korvath_core_temperature_min_celsius gauge\n"
            "korvath_core_temperature_min_celsius{core=\"0\"} 62\n"
            "# HELP korvath_core_temperature_max_celsius Highest core temperature since the start or the last Reset, "
            "in degrees Celsius.\n"
            "# TYPE korvath_core_temperature_max_celsius gauge\n"
            "korvath_core_temperature_max_celsius{core=\"0\"} 62\n"
            "# HELP korvath_core_thermal_status Thermal status of the core: 1 for the one it has (OK, LOG or HOT).\n"
            "# TYPE korvath_core_thermal_status gauge\n"
            "korvath_core_thermal_status{core=\"0\",status=\"OK\"} 1\n"
            "korvath_core_thermal_status{core=\"0\",status=\"LOG\"} 0\n"
            "korvath_core_thermal_status{core=\"0\",status=\"HOT\"} 0\n"
            "# HELP korvath_core_sensor_read_failures_total Sensor reads of the core refused since Korvath started.\n"
            "# TYPE korvath_core_sensor_read_failures_total counter\n"
            "korvath_core_sensor_read_failures_total{core=\"0\"} 0\n"
            "korvath_core_sensor_read_failures_total{core=\"1\"} 1\n");

  rig.monitor->ShutDown();
  EXPECT_EQ(rig.metricsFiles.Read(path),
            "# HELP korvath_up 1 while Korvath writes this file.\n# TYPE korvath_up gauge\nkorvath_up 0\n");
  EXPECT_EQ(rig.metricsFiles.Files().size(), 1u);
}

// Everything Korvath writes or opens by a name of its own lies in the
// program's folder, fixed at start-up: a file picker that moves the current
// folder moves none of them. An AlarmFile with a folder of its own stays as
// chosen.
TEST(Monitor, FilesKorvathNamesLieInItsFolder) {
  MonitorRig rig(testing::LoadMachine("e8400"),
                 "LogFile=1\nLogInterval=1\nHDWrite=1\nAlarm=1\nAlarm1=0\nAlarmFile=alarm.bat\n");
  rig.desktop.shellFinds = true;
  ASSERT_FALSE(rig.StartUp().has_value());
  for (int cycle = 1; cycle <= 6; ++cycle) rig.Tick();
  ASSERT_EQ(rig.files.writes.size(), 6u);
  for (const std::string& write : rig.files.writes) {
    EXPECT_EQ(write.rfind("C:\\Korvath\\KorvathLog.txt: ", 0), 0u) << write;
  }
  EXPECT_EQ(rig.desktop.TakeEvents(),
            (std::vector<std::string>{"open C:\\Korvath\\alarm.bat", "sound C:\\Korvath\\KVWarning.wav"}));

  MonitorRig chosen(testing::LoadMachine("e8400"), "Alarm=1\nAlarm1=0\nAlarmFile=D:\\tools\\alarm.bat\n");
  chosen.desktop.shellFinds = true;
  ASSERT_FALSE(chosen.StartUp().has_value());
  chosen.Tick();
  EXPECT_EQ(chosen.desktop.TakeEvents(), (std::vector<std::string>{"open D:\\tools\\alarm.bat"}));
}

// A saved corner is used wherever a 32 x 32 square of the title bar lies on
// a work area: a few pixels off the left edge, under a task bar at the top,
// and (0, 0), which the file holds as (0, -1), reopens at (0, 0).
TEST(Monitor, SavedPositionReopensWhereTheTitleBarCanBeTakenHoldOf) {
  auto openedAt = [](ScreenPoint saved, std::vector<WindowRect> workAreas) {
    MonitorRig rig(testing::LoadMachine("e8400"), "WindowXY=" + std::to_string(PackWindowPosition(saved)) + "\n");
    rig.window.workAreas = std::move(workAreas);
    EXPECT_FALSE(rig.StartUp().has_value());
    return ScreenPoint{rig.window.rect.left, rig.window.rect.top};
  };
  const std::vector<WindowRect> primary = {{0, 0, 1280, 984}};
  const std::vector<WindowRect> topTaskBar = {{0, 40, 1280, 1024}};
  const std::vector<WindowRect> leftTaskBar = {{48, 0, 1280, 1024}};
  EXPECT_EQ(openedAt({-3, 200}, primary), (ScreenPoint{-3, 200}));
  EXPECT_EQ(openedAt({-7, 0}, primary), (ScreenPoint{-7, 0}));  // flush, invisible borders included
  EXPECT_EQ(openedAt({0, 0}, primary), (ScreenPoint{0, 0}));
  EXPECT_EQ(openedAt({300, 10}, topTaskBar), (ScreenPoint{300, 10}));
  EXPECT_EQ(openedAt({0, 300}, leftTaskBar), (ScreenPoint{0, 300}));
  // Unreachable: the title bar wholly under the top task bar, or all but 31
  // pixels of the window beyond the screen's right edge.
  EXPECT_EQ(openedAt({300, 0}, {{0, 40, 1280, 1024}}), (ScreenPoint{100, 100}));
  EXPECT_EQ(openedAt({1249, 300}, primary), (ScreenPoint{100, 100}));
}

// The history keeps each cycle's readings from start-up; a sensor that could
// not be read is a gap there (the window shows its last good reading), and
// Reset leaves the history alone.
TEST(Monitor, HistoryKeepsEveryCycleWithGapsAndOutlivesReset) {
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.activity.loadPercent = 50;
  MonitorRig rig(machine);
  ASSERT_FALSE(rig.StartUp().has_value());
  const HistoryStore& history = *rig.monitor->history();
  ASSERT_EQ(history.SeriesCount(), 4u);
  EXPECT_EQ(history.Series(2).name, "GPU");
  EXPECT_EQ(history.Series(3).kind, SeriesKind::kLoad);
  for (int cycle = 0; cycle < 3; ++cycle) rig.Tick();
  int64_t last = history.Latest();
  EXPECT_EQ(last, rig.clock.UnixTime());
  EXPECT_EQ(history.SecondValue(0, last - 2), 620);
  EXPECT_EQ(history.SecondValue(1, last), 620);
  EXPECT_EQ(history.SecondValue(2, last), 610);
  EXPECT_EQ(history.SecondValue(3, last), 500);
  rig.monitor->ResetStatistics();
  rig.Tick();
  EXPECT_EQ(history.SecondValue(0, last - 2), 620);
  EXPECT_EQ(history.Minute(0, FloorDiv(last, 60)).maximum, 620);

  machine.readFailsEvery = 1;
  MonitorRig unread(machine);
  ASSERT_FALSE(unread.StartUp().has_value());
  unread.Tick();
  unread.Tick();
  EXPECT_EQ(unread.monitor->history()->SecondValue(0, unread.clock.UnixTime()), kHistoryGap);
  EXPECT_EQ(unread.monitor->history()->SecondValue(2, unread.clock.UnixTime()), 610);
}

// On a hybrid processor every core is read: the cores beyond the four slots
// get the slots' texts, records, TjMax and Idle keys, alarm, log columns,
// metrics with their type, and history lines; Reset clears them all.
TEST(Monitor, EveryCoreOfAHybridProcessorIsMonitored) {
  MonitorRig rig(testing::LoadMachine("i9-12900k"),
                 "LogFile=1\nLogInterval=1\nHDWrite=1\nAlarm=1\nAlarm1=50\nTjMax13=120\nIdle12=-5.0\n"
                 "MetricsFile=korvath.prom\nIconShow=33\n");
  ASSERT_FALSE(rig.StartUp().has_value());
  const TemperatureMonitor& temperatures = rig.monitor->temperatures();
  ASSERT_EQ(temperatures.displayCoreCount(), 16);
  rig.Tick();
  EXPECT_EQ(rig.Text(ExtraCoreControlId(4, CoreField::kTemperature)), "42");
  EXPECT_EQ(rig.Text(ExtraCoreControlId(13, CoreField::kTemperature)), "52");  // TjMax13=120
  EXPECT_EQ(rig.Text(ExtraCoreControlId(13, CoreField::kDistance)), "68");
  EXPECT_EQ(rig.Text(ExtraCoreControlId(13, CoreField::kMaximum)), "52\xC2\xB0" "C");
  EXPECT_EQ(rig.Text(ExtraCoreControlId(15, CoreField::kThermalStatus)), "OK");
  EXPECT_EQ(rig.Text(PackageControlId(0)), "47\xC2\xB0" "C");
  EXPECT_EQ(temperatures.Core(8).type, CoreType::kEfficient);
  EXPECT_EQ(temperatures.HottestCore(), 13);
  EXPECT_EQ(rig.monitor->trayTipText(), "Hottest: Core 13 (E)  52\xC2\xB0" "C\nHottest P: Core 3  45\xC2\xB0" "C\n"
                                        "Package:  47\xC2\xB0" "C");
  // Only core 13 reaches Alarm1.
  EXPECT_TRUE(rig.monitor->alarms().CpuAlarmThisCycle());
  ASSERT_EQ(rig.files.writes.size(), 1u);
  EXPECT_NE(rig.files.writes[0].find(" 40 43 39 45 42 38 44 41 35 33 31 34 22 52 29 28 47\r\n"), std::string::npos)
      << rig.files.writes[0];
  const std::string metrics = rig.metricsFiles.Read("C:\\Korvath\\korvath.prom");
  EXPECT_NE(metrics.find("\nkorvath_core_temperature_celsius{core=\"13\",type=\"E\"} 52\n"), std::string::npos);
  EXPECT_NE(metrics.find("\nkorvath_core_tjmax_celsius{core=\"0\",type=\"P\"} 100\n"), std::string::npos);

  const HistoryStore& history = *rig.monitor->history();
  ASSERT_EQ(history.SeriesCount(), 18u);  // 16 cores, the package, the load
  EXPECT_EQ(history.Series(8).coreType, CoreType::kEfficient);
  EXPECT_EQ(history.Series(16).name, "Package 0");
  EXPECT_EQ(history.SecondValue(13, rig.clock.UnixTime()), 520);
  EXPECT_EQ(history.SecondValue(16, rig.clock.UnixTime()), 470);

  rig.monitor->ResetStatistics();
  EXPECT_FALSE(temperatures.Core(13).hasRecords);
  EXPECT_EQ(rig.Text(ExtraCoreControlId(13, CoreField::kMaximum)), "");
  rig.Tick();
  EXPECT_EQ(temperatures.Core(13).maxTemp, 52);
  // The hottest core's icon, which blinks with the alarm on odd cycles.
  EXPECT_EQ(rig.tray.Shown().at(4299).picture, "app");
  rig.Tick();
  EXPECT_EQ(rig.tray.Shown().at(4299).picture, "52");
}

TEST(Monitor, AnchorNeverSetIsTheOrigin) {
  MonitorRig rig(testing::LoadMachine("e8400"));
  ASSERT_FALSE(rig.StartUp().has_value());
  rig.monitor->OnAnchorDoubleClick(false);
  EXPECT_EQ(rig.window.rect, (WindowRect{0, 0, 318, 378}));
}

}  // namespace
}  // namespace korvath
