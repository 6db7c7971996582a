// The monitor timer and the once-a-second cycle.
#include "monitor/Monitor.h"

#include <array>
#include <span>
#include <string>

#include "monitor/ClockTexts.h"
#include "monitor/CoreSlotControls.h"
#include "monitor/CoreTexts.h"
#include "monitor/ExtraCoreControls.h"
#include "monitor/TrayIconValue.h"
#include "monitor/TrayTipText.h"
#include "platform/TextFormat.h"
#include "platform/TimeSource.h"
#include "resources/resource.h"

namespace korvath {

void Monitor::OnMonitorTimer() {
  if (shutDown_) return;
  if (firstTick_) RunFirstTick();
  UpdateMonitor();
  access_.EnableFixedCounters();
}

void Monitor::RunFirstTick() {
  firstTick_ = false;
  view_.KillTimer(timerId_);
  if (settings_.miniMode) {
    settings_.miniMode = 0;
    ToggleMiniMode();
  }
  if (tray_.BeginAdding(PresentIcons(), seams_.time.TickCount()) == TrayIcons::Adding::kRetrying) {
    view_.SetTimer(kTrayRetryTimerId, kTrayRetryPeriodMs);
    trayRetryArmed_ = true;
  } else {
    FinishAddingIcons();
  }
  if (settings_.startMinimized) view_.Minimize();
  timerId_ = view_.SetTimer(timerId_, kCyclePeriodMs);
}

void Monitor::OnTrayRetryTimer() {
  if (shutDown_) return;
  if (tray_.RetryAdding(seams_.time.TickCount()) == TrayIcons::Adding::kDone) {
    view_.KillTimer(kTrayRetryTimerId);
    trayRetryArmed_ = false;
    FinishAddingIcons();
  }
}

void Monitor::OnTaskbarCreated() {
  if (shutDown_ || firstTick_) return;
  if (tray_.OnTaskbarCreated(seams_.time.TickCount()) == TrayIcons::Adding::kRetrying) {
    if (!trayRetryArmed_) view_.SetTimer(kTrayRetryTimerId, kTrayRetryPeriodMs);
    trayRetryArmed_ = true;
    return;
  }
  if (trayRetryArmed_) view_.KillTimer(kTrayRetryTimerId);
  trayRetryArmed_ = false;
  FinishAddingIcons();
}

// A GPU icon asked for without GPU reading is dropped from the mask. With no
// icon in the tray (none asked for, none the shell took, none that can show)
// the task bar is the only way back to the window.
void Monitor::FinishAddingIcons() {
  if ((settings_.iconShow & kIconShowGpu) && !gpuReading_) settings_.iconShow &= ~kIconShowGpu;
  if (tray_.AddedIcons().empty()) KeepReachable();
}

// The task-bar behaviour is on for the run, and a window kept hidden since
// start-up shows, minimised, as a task-bar button.
void Monitor::KeepReachable() {
  settings_.taskBar = 1;
  if (mayShow_) return;
  mayShow_ = true;
  view_.SetMayShow(true);
  view_.ShowInTaskBar();
}

std::array<bool, kTrayIconCount> Monitor::PresentIcons() const {
  std::array<bool, kTrayIconCount> present = {};
  for (int slot = 0; slot < kCoreSlots; ++slot) present[slot] = cpu_.coreSlotMask[slot] != 0;
  present[kGpuIconIndex] = gpuReading_;
  return present;
}

void Monitor::UpdateMonitor() {
  temperatures_.stats().cycleCount += 1;
  alarms_.BeginCycle();
  SampleCores();
  packages_.Sample(access_);
  SetPackageTexts();
  BuildTrayTip();
  if (gpuReading_) ReadGpu();
  // The missing-alarm-file box runs a message loop; cycles may nest here.
  if (alarms_.AlarmThisCycle()) alarms_.RunActions(temperatures_.stats().cycleCount);
  RefreshTrayIcons();
  UpdateTitleOrZOrder();
  UpdateClockTexts(access_, clockMeasurements_.tscMhz.load(), temperatures_.stats().cycleCount, texts_);
  if (settings_.logFile) LogStep();
  if (metrics_) MetricsStep();
  HistoryStep();
  if (repaintRequested_) {
    view_.InvalidateAll();
    repaintRequested_ = false;
  }
  view_.PushTexts(texts_);
}

// The tip and the title are rebuilt in place every cycle; std::to_string
// gives what "%d" gives, without a pass through the printf machinery.
void Monitor::SampleCores() {
  const std::string& suffix = settings_.degreeSuffix;
  titleText_.clear();
  for (int slot = 0; slot < kCoreSlots; ++slot) {
    if (cpu_.coreSlotMask[slot] == 0) continue;
    if (temperatures_.SampleCoreTemperature(slot)) {
      const TemperatureStats& stats = temperatures_.stats();
      SetCoreTexts(texts_, kCoreSlotControls[slot], temperatures_.sample(slot), temperatures_.change(slot),
                   stats.minTime[slot], stats.maxTime[slot], suffix);
    }
    // A failed read leaves the last good reading, which is shown and checked
    // again; a core never read yet has nothing to show or check.
    if (!temperatures_.hasReading(slot)) continue;
    int temperature = temperatures_.sample(slot).temperature;
    std::string value = std::to_string(temperature);
    if (!titleText_.empty()) titleText_ += ' ';
    titleText_.append(value).append(suffix);
    alarms_.CheckCpu(temperature);
  }
  int number = kCoreSlots;
  for (ExtraCore& core : temperatures_.extraCores()) {
    temperatures_.SampleExtraCore(core);
    if (core.hasReading) {
      SetExtraCoreTexts(core, number);
      alarms_.CheckCpu(core.sample.temperature);
    }
    ++number;
  }
}

// The texts a slot gets, at the extra core's own controls.
void Monitor::SetExtraCoreTexts(const ExtraCore& core, int number) {
  if (!core.readNow) return;
  SetCoreTexts(texts_, CoreControls(number), core.sample, core.change, core.records.minTime, core.records.maxTime,
               settings_.degreeSuffix);
}

// Every core read so far, and the packages read in this cycle: the list of
// cores while it fits the shell's tip, else the hottest ones.
void Monitor::BuildTrayTip() {
  size_t count = 0;
  for (int number = 0; number < temperatures_.displayCoreCount(); ++number) {
    const CoreReading core = temperatures_.Core(number);
    if (!core.present || !core.hasReading) continue;
    tipCores_[count++] = {number, core.type, core.temperature};
  }
  size_t packages = 0;
  for (const std::optional<int>& temperature : packages_.temperatures()) {
    if (temperature) tipPackages_[packages++] = *temperature;
  }
  BuildTrayTipText(std::span<const TipCore>(tipCores_.data(), count),
                   std::span<const int>(tipPackages_.data(), packages), settings_.degreeSuffix, trayTipText_);
}

// A package not read in this cycle shows nothing rather than an old number.
void Monitor::SetPackageTexts() {
  std::span<const std::optional<int>> temperatures = packages_.temperatures();
  for (size_t package = 0; package < temperatures.size(); ++package) {
    const std::optional<int>& temperature = temperatures[package];
    texts_.Set(PackageControlId(static_cast<int>(package)),
               temperature ? std::to_string(*temperature) + settings_.degreeSuffix : std::string());
  }
}

void Monitor::ReadGpu() {
  int temperature = gpu_.ReadGpuTemperature();
  temperatures_.RecordGpuTemperature(temperature);
  alarms_.CheckGpu(temperature);
  if (temperatures_.stats().cycleCount > 3) {
    texts_.Set(IDC_SIGNATURE, "GPU  " + std::to_string(temperature) + settings_.degreeSuffix);
  }
}

void Monitor::RefreshTrayIcons() {
  TrayRefreshInput input(temperatures_.stats());
  input.present = PresentIcons();
  input.trayTipText = trayTipText_;
  input.alarmThisCycle = alarms_.AlarmThisCycle();
  for (int slot = 0; slot < kCoreSlots; ++slot) {
    input.temperature[slot] = temperatures_.sample(slot).temperature;
    input.readout[slot] = temperatures_.sample(slot).readout;
    // A core never read yet keeps its icon as it is.
    if (!temperatures_.hasReading(slot)) input.present[slot] = false;
  }
  input.temperature[kGpuIconIndex] = gpu_.lastGpuTemperature();
  const int hottest = temperatures_.HottestCore();
  input.hottestPresent = hottest >= 0;
  if (input.hottestPresent) {
    const CoreReading core = temperatures_.Core(hottest);
    input.hottestValue = HottestIconValue(core, settings_.iconShow);
    input.hottestTemperature = core.temperature;
  }
  tray_.Refresh(input);
}

// Mini mode is known by its flag and a minimised window by the window
// system, not by the window's height: the mini window is as tall as its text
// makes it. "WindowXY" keeps the full window's position, so in mini mode it
// is the full window that goes with the mini one, never the mini window.
void Monitor::UpdateTitleOrZOrder() {
  bool minimized = view_.IsMinimized();
  if (settings_.miniMode || minimized) {
    view_.SetTitle(titleText_);
    if (!minimized) RememberNormalWindow(view_.FullWindowRect());
    return;
  }
  WindowRect rect = view_.GetWindowRect();
  RememberNormalWindow(rect);
  view_.ApplyZOrder(rect, settings_.onTop != 0);
}

void Monitor::RememberNormalWindow(const WindowRect& rect) {
  normalWindowRect_ = rect;
  normalWindowRectSet_ = true;
  if (keepSavedPosition_ && (ScreenPoint{rect.left, rect.top} != openedAt_)) keepSavedPosition_ = false;
}

void Monitor::LogStep() {
  size_t count = 0;
  for (int number = 0; number < temperatures_.displayCoreCount(); ++number) {
    const CoreReading core = temperatures_.Core(number);
    if (!core.present) continue;
    // Until every core has been read once there is no true line to write.
    if (!core.hasReading) return;
    logTemperatures_[count++] = core.temperature;
  }
  log_.Step(seams_.time.LocalNow(), std::span<const int>(logTemperatures_.data(), count), packages_.temperatures());
}

// The numbers the window shows in this cycle, from the same samples, records
// and texts: nothing is read a second time.
void Monitor::MetricsStep() {
  MetricsReadings readings;
  size_t count = 0;
  for (int number = 0; number < temperatures_.displayCoreCount(); ++number) {
    const CoreReading reading = temperatures_.Core(number);
    if (!reading.present) continue;
    CoreMetrics& core = metricsCores_[count++];
    core.slot = number;
    core.type = reading.type;
    core.readFailures = reading.readFailures;
    // A read refused in this cycle is no reading, though the window goes on
    // showing the last one; a core never read yet has no number at all.
    core.readNow = reading.readNow;
    // The records exist once a reading set them; a Reset empties them, and
    // the statistics' empty markers are no temperatures.
    core.hasRecords = reading.hasRecords;
    core.temperature = reading.temperature;
    core.tjMax = reading.tjMax;
    // The window shows the sensor's readout. Above TjMax the readout has
    // wrapped (127 is one degree above), and the window's number would tell an
    // alert rule the core is far from TjMax just when it is past it.
    core.distance = reading.hotNow && reading.readout > 77 ? reading.readout - 128 : reading.readout;
    core.minimum = reading.minTemp;
    core.maximum = reading.maxTemp;
    // "---" in the window (the signal without its log bit) is hot all the same.
    core.state = reading.hotNow ? ThermalState::kHot : reading.hotLogged ? ThermalState::kLog : ThermalState::kOk;
  }
  readings.cores = std::span<const CoreMetrics>(metricsCores_.data(), count);
  const TemperatureStats& stats = temperatures_.stats();
  readings.packageTemperatures = packages_.temperatures();
  readings.clockText = texts_.Get(IDC_CLOCK_SPEED);
  readings.busMultiplierText = texts_.Get(IDC_BUS_MULTIPLIER);
  readings.loadText = texts_.Get(IDC_LOAD);
  // Only a temperature the GPU gave in this cycle: before its first answer
  // the sensor holds 0, and after a missed one the last value.
  readings.gpuRead = gpuReading_ && gpu_.lastReadAnswered();
  if (readings.gpuRead) {
    readings.gpuTemperature = gpu_.lastGpuTemperature();
    readings.gpuMinimum = stats.minTemp[kGpuEntry];
    readings.gpuMaximum = stats.maxTemp[kGpuEntry];
  }
  readings.cpuAlarm = alarms_.CpuAlarmThisCycle();
  readings.gpuAlarm = alarms_.GpuAlarmThisCycle();
  readings.cycles = ++metricsCycles_;
  readings.unixTime = seams_.time.UnixTime();
  // A file that cannot be written this cycle is simply written the next.
  metrics_->Write(readings);
}

}  // namespace korvath
