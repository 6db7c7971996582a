// Everything the main window runs above the seams: the process-wide records,
// the start-up, the once-a-second monitor cycle and the shutdown. MainWindow
// is its Win32 view; korvath-sim drives it on a simulated machine.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/ClockModulation.h"
#include "config/SettingsFile.h"
#include "history/HistoryStore.h"
#include "hw/CpuInfo.h"
#include "hw/FatalError.h"
#include "hw/MsrAccess.h"
#include "hw/PackageTemperature.h"
#include "hw/ProcessorIdentity.h"
#include "hw/TemperatureMonitor.h"
#include "hw/TscClock.h"
#include "monitor/AlarmMonitor.h"
#include "monitor/GpuSensor.h"
#include "monitor/MainWindowView.h"
#include "monitor/MetricsFile.h"
#include "monitor/TemperatureLog.h"
#include "monitor/TrayIcons.h"
#include "monitor/TrayTipText.h"
#include "monitor/WindowPlacement.h"
#include "platform/TrayShell.h"
#include "ui/DisplayTexts.h"

namespace korvath {

struct CoreGridLayout;
class Desktop;
class FileAppender;
class FileWriter;
class GpuSource;
class Processor;
class ProfileStore;
class TimeSource;
class TscClockRunner;

// The seams the monitor runs on. The clock thread gets a processor and a
// time source of its own: in the product they are the same objects as the
// user-interface thread's, in a simulation they keep the clock thread's
// state apart. Two processors and two time sources sit side by side, so
// every caller fills the fields by name (designated initialisers): a swap
// of the user-interface thread's and the clock thread's would otherwise
// compile.
struct MonitorSeams {
  Processor& processor;
  TimeSource& time;
  Processor& clockProcessor;
  TimeSource& clockTime;
  Desktop& desktop;
  GpuSource& gpu;
  ProfileStore& settingsFile;
  FileAppender& logFiles;
  TrayShell& trayShell;
  TrayIconPainter& trayPainter;
  IconHandle applicationIcon = 0;
  // The product measures the clock on a thread of its own; a simulation
  // runs the passes itself (RunClockPasses).
  bool startClockThread = true;
  // Runs first on the clock thread; the product raises its priority there.
  std::function<void()> onClockThreadStart = {};
  // Where the metrics file is written; without it MetricsFile is ignored.
  FileWriter* metricsFiles = nullptr;
  // The executable's folder, ending with a separator: the log, the warning
  // sound, a relative MetricsFile and a relative AlarmFile are taken from
  // there. Empty in simulated runs, which keep the bare names.
  std::string executableFolder = {};
};

class Monitor {
 public:
  // Static initialisation: the processor record and the GPU sensor.
  Monitor(const MonitorSeams& seams, MainWindowView& view);
  ~Monitor();
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  // The main window's initialisation after its system menu and icon: opens
  // the hardware, identifies the processor, reads the settings and starts
  // the timer. A fatal condition returns the message box that ends the
  // process; nothing of the window is shown then.
  std::optional<FatalError> StartUp();

  // WM_TIMER of the monitor timer: the first tick's one-time work, then the
  // cycle, then the fixed counters switched on again.
  void OnMonitorTimer();
  // WM_TIMER of the tray retry timer.
  void OnTrayRetryTimer();
  // Explorer re-created the notification area.
  void OnTaskbarCreated();
  // One monitor cycle.
  void UpdateMonitor();
  // Double-click on the window: enters or leaves mini mode.
  void ToggleMiniMode();
  // Right double-click. With Shift the window's rectangle becomes the anchor
  // and the text of the "Anchor Position" box comes back; without it the
  // window moves its top-left corner to the anchor.
  std::optional<std::string> OnAnchorDoubleClick(bool shift);
  // WM_MOUSEHOVER at (x, y) in a client area clientWidth wide, laid out at
  // `scale`, with the table of the further cores where there is one; nothing
  // in mini mode or away from the GPU field and the present cores' records.
  std::optional<HoverReport> HoverReportAt(int x, int y, int clientWidth, const LayoutScale& scale = {},
                                           const CoreGridLayout* grid = nullptr) const;
  // The Reset button and the tray menu's Reset.
  void ResetStatistics();
  // The main window is being destroyed.
  void ShutDown();

  // Copies the display-related settings into the sampling (idle calibration,
  // degree suffix); start-up and the Settings dialog call it.
  void ApplyTemperatureSettings();

  // A simulation's clock thread: the passes it would have run by now.
  void RunClockPasses(int passes);

  // Records shared with the dialogs.
  AppSettings& settings() { return settings_; }
  CpuInfo& cpu() { return cpu_; }
  MsrAccess& access() { return access_; }
  const ProcessorIdentity& identity() const { return identity_; }
  TemperatureMonitor& temperatures() { return temperatures_; }
  const TemperatureMonitor& temperatures() const { return temperatures_; }
  const PackageTemperatures& packages() const { return packages_; }
  const DisplayTexts& texts() const { return texts_; }
  GpuSensor& gpu() { return gpu_; }
  bool gpuReading() const { return gpuReading_; }
  TrayIcons& tray() { return tray_; }
  TemperatureLog& log() { return log_; }
  AlarmMonitor& alarms() { return alarms_; }
  // Every reading since start-up; made by StartUp, so null before it.
  const HistoryStore* history() const { return history_.get(); }
  // Null unless MetricsFile is set.
  const MetricsFile* metrics() const { return metrics_.get(); }
  ClockModulation& clockModulation() { return clockModulation_; }
  const TscMeasurements& clockMeasurements() const { return clockMeasurements_; }

  const std::string& trayTipText() const { return trayTipText_; }
  const std::string& titleText() const { return titleText_; }
  bool normalWindowRectSet() const { return normalWindowRectSet_; }
  // Whether "WindowXY" is written at exit: not while a saved position that
  // lay off every screen is kept for a window that has not been moved.
  bool windowPositionToSave() const { return normalWindowRectSet_ && !keepSavedPosition_; }
  const WindowRect& normalWindowRect() const { return normalWindowRect_; }
  bool firstTickPending() const { return firstTick_; }
  bool mayShow() const { return mayShow_; }
  void RequestRepaint() { repaintRequested_ = true; }

  // The anchor position of the window (right double-click), and its copy
  // taken when it was set; both mean nothing until anchorSet().
  const ScreenPoint& anchorPoint() const { return anchorPoint_; }
  const ScreenPoint& anchorCopy() const { return anchorCopy_; }
  bool anchorSet() const { return anchorSet_; }

 private:
  void RunFirstTick();
  void FinishAddingIcons();
  void KeepReachable();
  void SampleCores();
  void SetExtraCoreTexts(const ExtraCore& core, int number);
  void SetPackageTexts();
  void BuildTrayTip();
  void ReadGpu();
  void RefreshTrayIcons();
  void UpdateTitleOrZOrder();
  void RememberNormalWindow(const WindowRect& rect);
  void LogStep();
  void MetricsStep();
  void CreateHistory();
  void HistoryStep();
  std::array<bool, kTrayIconCount> PresentIcons() const;
  StartupFacts CollectStartupFacts() const;
  void ApplyWindowSettings();
  // Whether the window, moved to put its top-left corner there, could be
  // taken hold of (WindowReachable).
  bool ReachableAt(ScreenPoint topLeft);

  MonitorSeams seams_;
  MainWindowView& view_;

  CpuInfo cpu_;
  MsrAccess access_;
  GpuSensor gpu_;
  ProcessorIdentity identity_;
  AppSettings settings_;
  DisplayTexts texts_;
  TemperatureMonitor temperatures_;
  PackageTemperatures packages_;
  ClockModulation clockModulation_;
  TscMeasurements clockMeasurements_;
  TscClockThread clockThread_;
  std::unique_ptr<TscClockRunner> clockRunner_;
  AlarmMonitor alarms_;
  TemperatureLog log_;
  TrayIcons tray_;
  std::unique_ptr<MetricsFile> metrics_;
  uint64_t metricsCycles_ = 0;  // since start: Reset leaves it alone
  // One entry per display core, sized at start-up: the steady cycle fills
  // them without allocating.
  std::vector<int> logTemperatures_;
  std::vector<CoreMetrics> metricsCores_;
  std::vector<TipCore> tipCores_;
  std::array<int, kMaxPackages> tipPackages_ = {};
  // The history, what feeds each of its series, and the values of one
  // second, all sized once at start-up.
  struct HistorySource {
    SeriesKind kind;
    int slot;  // cores: the display core; packages: the package
  };
  std::unique_ptr<HistoryStore> history_;
  std::vector<HistorySource> historySources_;
  std::vector<int16_t> historyValues_;

  bool gpuReading_ = false;
  uintptr_t timerId_ = kMonitorTimerId;
  bool firstTick_ = true;
  bool mayShow_ = false;
  bool repaintRequested_ = false;
  bool trayRetryArmed_ = false;
  std::string trayTipText_;
  std::string titleText_;
  WindowRect normalWindowRect_;
  bool normalWindowRectSet_ = false;
  // A "WindowXY" off every screen: the window stays where Windows put it,
  // and the value stays in the file until the window moves from there.
  bool keepSavedPosition_ = false;
  ScreenPoint openedAt_;
  ScreenPoint anchorPoint_;
  ScreenPoint anchorCopy_;
  bool anchorSet_ = false;
  bool shutDown_ = false;
};

}  // namespace korvath
