// The monitor timer and the once-a-second cycle.
#include "monitor/Monitor.h"

#include <array>
#include <span>
#include <string>

#include "hw/ClockDisplay.h"
#include "platform/TextFormat.h"
#include "platform/TimeSource.h"
#include "resources/resource.h"

namespace korvath {
namespace {

// A window lower than this is in mini mode.
constexpr int kMiniModeHeight = 97;

}  // namespace

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
  if (tray_.OnTaskbarCreated(seams_.time.TickCount()) == TrayIcons::Adding::kRetrying && !trayRetryArmed_) {
    view_.SetTimer(kTrayRetryTimerId, kTrayRetryPeriodMs);
    trayRetryArmed_ = true;
  }
}

// The tray has forced the task-bar behaviour on when no icon could be added;
// a GPU icon asked for without GPU reading is dropped from the mask.
void Monitor::FinishAddingIcons() {
  if ((settings_.iconShow & kIconShowGpu) && !gpuReading_) settings_.iconShow &= ~kIconShowGpu;
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
  if (gpuReading_) ReadGpu();
  // The missing-alarm-file box runs a message loop; cycles may nest here.
  if (alarms_.AlarmThisCycle()) alarms_.RunActions(temperatures_.stats().cycleCount);
  RefreshTrayIcons();
  UpdateTitleOrZOrder();
  UpdateClockDisplay(access_, clockMeasurements_.tscMhz.load(), temperatures_.stats().cycleCount, texts_);
  if (settings_.logFile) LogStep();
  if (metrics_) MetricsStep();
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
  trayTipText_.clear();
  titleText_.clear();
  for (int slot = 0; slot < kCoreSlots; ++slot) {
    if (cpu_.coreSlotMask[slot] == 0) continue;
    temperatures_.SampleCoreTemperature(slot);
    int temperature = temperatures_.sample(slot).temperature;
    std::string value = std::to_string(temperature);
    if (slot == 0) {
      trayTipText_.append("Core 0:  ");
    } else {
      trayTipText_.append("\nCore ").append(1, static_cast<char>('0' + slot)).append(":  ");
      titleText_ += ' ';
    }
    trayTipText_.append(value).append(suffix);
    titleText_.append(value).append(suffix);
    alarms_.CheckCpu(temperature);
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
  }
  input.temperature[kGpuIconIndex] = gpu_.lastGpuTemperature();
  tray_.Refresh(input);
}

void Monitor::UpdateTitleOrZOrder() {
  WindowRect rect = view_.GetWindowRect();
  if (rect.Height() < kMiniModeHeight) {
    view_.SetTitle(titleText_);
    return;
  }
  normalWindowRect_ = rect;
  normalWindowRectSet_ = true;
  view_.ApplyZOrder(rect, settings_.onTop != 0);
}

void Monitor::LogStep() {
  std::array<int, kCoreSlots> present;
  size_t count = 0;
  for (int slot = 0; slot < kCoreSlots; ++slot) {
    if (cpu_.coreSlotMask[slot] != 0) present[count++] = temperatures_.sample(slot).temperature;
  }
  log_.Step(seams_.time.LocalNow(), std::span<const int>(present.data(), count));
}

// The numbers the window shows in this cycle, from the same samples, records
// and texts: nothing is read a second time.
void Monitor::MetricsStep() {
  const TemperatureStats& stats = temperatures_.stats();
  MetricsReadings readings;
  for (int slot = 0; slot < kCoreSlots; ++slot) {
    if (cpu_.coreSlotMask[slot] == 0) continue;
    const ThermalSample& sample = temperatures_.sample(slot);
    CoreMetrics& core = readings.cores[static_cast<size_t>(readings.coreCount++)];
    core.slot = slot;
    core.temperature = sample.temperature;
    core.tjMax = settings_.tjMax[slot];
    // The window shows the sensor's readout. Above TjMax the readout has
    // wrapped (127 is one degree above), and the window's number would tell an
    // alert rule the core is far from TjMax just when it is past it.
    core.distance = sample.hotNow && sample.readout > 77 ? sample.readout - 128 : sample.readout;
    core.minimum = stats.minTemp[slot];
    core.maximum = stats.maxTemp[slot];
    // "---" in the window (the signal without its log bit) is hot all the same.
    core.state = sample.hotNow ? ThermalState::kHot : sample.hotLogged ? ThermalState::kLog : ThermalState::kOk;
  }
  readings.clockText = texts_.Get(IDC_CLOCK_SPEED);
  readings.busMultiplierText = texts_.Get(IDC_BUS_MULTIPLIER);
  readings.loadText = texts_.Get(IDC_LOAD);
  readings.gpuRead = gpuReading_;
  if (gpuReading_) {
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
