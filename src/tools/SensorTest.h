// The Sensor Test dialog's logic: the sensor movement test when it opens,
// and Start, Stop, Download and closing around the cool down test.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "tools/CoolDownTest.h"
#include "ui/WindowRect.h"

namespace korvath {

class ControlSurface;
class MsrAccess;
class Threads;
class TimeSource;
class WorkerThread;

// The dialog's own window: its timer, and the owner of the picker and the
// boxes it opens.
class DialogTimer {
 public:
  virtual ~DialogTimer() = default;
  // The identifier of the running timer, 0 when none could be started.
  virtual uintptr_t StartTimer(uintptr_t id, uint32_t periodMs) = 0;
  virtual void KillTimer(uintptr_t id) = 0;
  virtual OwnerWindow AsOwner() = 0;
};

struct SensorTestTexts {
  std::string movement[kCoreSlots];
  // Under the four cells, on a processor of more than four cores: whether
  // every core moved, else the cores that did not, by their display number.
  std::string allCoresMovement;
  CoolDownTable table;
};

// Where the stress program comes from; the Download button opens it.
inline constexpr const char* kPrime95DownloadPage = "https://www.mersenne.org/freesoft/";

// Start's status on the read-only driver, which cannot write clock modulation.
inline constexpr const char* kCoolDownNeedsClockModulation =
    "Cool down needs clock modulation; this driver is read-only";

// Control ids of the result table, row by row.
extern const int kCoolDownCoreCellIds[kCoolDownRows][kCoreSlots];
extern const int kCoolDownLoadCellIds[kCoolDownRows];
extern const int kMovementCellIds[kCoreSlots];

// Beside the main window, on whichever side has more room, tops aligned.
WindowRect PlaceBesideMainWindow(const WindowRect& mainWindow, const WindowRect& dialog, int screenWidth);

// The main window's "Sensor Test" button around the modal run.
void RunSensorTestButton(ControlSurface& mainWindow, const std::function<void()>& runDialog);

class SensorTest : private CoolDownHost {
 public:
  static constexpr uint32_t kLoadSettleMs = 4000;
  static constexpr uint32_t kTickPeriodMs = 1000;
  static constexpr uintptr_t kInitialTimerId = 2;

  SensorTest(MsrAccess& access, TimeSource& time, Threads& threads, Desktop& desktop, ControlSurface& dialog,
             DialogTimer& timer);
  // Waits for any load thread still running.
  ~SensorTest() override;

  // Dialog initialisation: the movement test (about four seconds).
  void OnInitDialog();
  void OnStart();
  void OnStop() { StopTest(); }
  void OnDownload();
  // One step of the cool down test.
  void OnTimer();
  void OnDestroy();

  bool IsPrime95Running() override;
  void ReadCoreDistances(int (&distances)[kCoreSlots]) override;
  // The distances of the cores no slot shows (display cores 4, 5, ...), each
  // read on the core's first processor.
  std::vector<int> ReadExtraCoreDistances();

  const SensorTestTexts& texts() const { return texts_; }
  const CoolDownTest& coolDown() const { return coolDown_; }
  bool running() const { return running_; }
  uint32_t savedClockModulation() const { return savedClockModulation_; }
  // Whether the register was read at opening; a value not read is never
  // written back.
  bool clockModulationSaved() const { return clockModulationSaved_; }
  // The stress program this dialog launched last; 0 before any.
  ProcessId prime95() const { return prime95_; }

  // All member texts into the controls.
  void TransferTexts();

 private:
  double MeanProcessorLoad() override;
  void SetClockModulation(uint32_t value) override;
  void TerminatePrime95() override;
  void StopTest() override;
  void ShowError(const std::string& text) override;

  void SetStatus(const std::string& status);
  void SaveClockModulation();
  void RestoreClockModulation();
  // Tells the load threads to end, then waits until they have.
  void EndLoad();

  MsrAccess& access_;
  TimeSource& time_;
  Threads& threads_;
  Desktop& desktop_;
  ControlSurface& dialog_;
  DialogTimer& timer_;
  SensorTestTexts texts_;
  CoolDownTest coolDown_;
  uint32_t savedClockModulation_ = 0;
  bool clockModulationSaved_ = false;
  int lastDistance_[kCoreSlots] = {};
  // First processor of each core no slot shows, in display order.
  std::vector<int> extraCoreProcessors_;
  std::vector<int> lastExtraDistance_;
  // The movement test's load: set once its second reading is taken.
  std::atomic<bool> loadDone_{false};
  std::vector<std::unique_ptr<WorkerThread>> loadThreads_;
  uintptr_t timerId_ = kInitialTimerId;
  bool running_ = false;
  bool picking_ = false;
  bool prime95Launched_ = false;
  ProcessId prime95_;
};

}  // namespace korvath
