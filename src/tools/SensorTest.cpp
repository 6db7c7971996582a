#include "tools/SensorTest.h"

#include "hw/ExtraCores.h"
#include "hw/MsrAccess.h"
#include "platform/ControlSurface.h"
#include "platform/Processor.h"
#include "platform/TextFormat.h"
#include "platform/Threads.h"
#include "platform/TimeSource.h"
#include "resources/resource.h"
#include "tools/WorkKernel.h"

namespace korvath {
const int kCoolDownCoreCellIds[kCoolDownRows][kCoreSlots] = {
    {IDC_HEAT_UP_CORE0, IDC_HEAT_UP_CORE1, IDC_HEAT_UP_CORE2, IDC_HEAT_UP_CORE3},
    {IDC_TEST2_CORE0, IDC_TEST2_CORE1, IDC_TEST2_CORE2, IDC_TEST2_CORE3},
    {IDC_TEST3_CORE0, IDC_TEST3_CORE1, IDC_TEST3_CORE2, IDC_TEST3_CORE3},
    {IDC_TEST4_CORE0, IDC_TEST4_CORE1, IDC_TEST4_CORE2, IDC_TEST4_CORE3},
    {IDC_TEST5_CORE0, IDC_TEST5_CORE1, IDC_TEST5_CORE2, IDC_TEST5_CORE3},
    {IDC_TEST6_CORE0, IDC_TEST6_CORE1, IDC_TEST6_CORE2, IDC_TEST6_CORE3},
    {IDC_TEST7_CORE0, IDC_TEST7_CORE1, IDC_TEST7_CORE2, IDC_TEST7_CORE3},
    {IDC_TEST8_CORE0, IDC_TEST8_CORE1, IDC_TEST8_CORE2, IDC_TEST8_CORE3},
    {IDC_TEST9_CORE0, IDC_TEST9_CORE1, IDC_TEST9_CORE2, IDC_TEST9_CORE3},
    {IDC_TEST10_CORE0, IDC_TEST10_CORE1, IDC_TEST10_CORE2, IDC_TEST10_CORE3},
};

const int kCoolDownLoadCellIds[kCoolDownRows] = {
    IDC_HEAT_UP_LOAD, IDC_TEST2_LOAD, IDC_TEST3_LOAD, IDC_TEST4_LOAD, IDC_TEST5_LOAD,
    IDC_TEST6_LOAD,   IDC_TEST7_LOAD, IDC_TEST8_LOAD, IDC_TEST9_LOAD, IDC_TEST10_LOAD,
};

const int kMovementCellIds[kCoreSlots] = {IDC_MOVEMENT0, IDC_MOVEMENT1, IDC_MOVEMENT2, IDC_MOVEMENT3};

namespace {

// "All 16 cores moved", "None of the 16 cores moved", or "Did not move: 5,
// 13 (2 of 16 cores)". The whole list is the control's text however long;
// the line scrolls to show it.
std::string AllCoresMovementText(const std::vector<int>& notMoving, int coreCount) {
  if (notMoving.empty()) return Format("All %d cores moved", coreCount);
  if (static_cast<int>(notMoving.size()) == coreCount) return Format("None of the %d cores moved", coreCount);
  std::string text = "Did not move: ";
  for (size_t i = 0; i < notMoving.size(); ++i) text += (i ? ", " : "") + Format("%d", notMoving[i]);
  return text + Format(" (%d of %d cores)", static_cast<int>(notMoving.size()), coreCount);
}

}  // namespace

WindowRect PlaceBesideMainWindow(const WindowRect& mainWindow, const WindowRect& dialog, int screenWidth) {
  WindowRect placed;
  placed.top = mainWindow.top;
  placed.bottom = mainWindow.top + dialog.Height();
  if (mainWindow.left < screenWidth - mainWindow.right) {
    placed.left = mainWindow.right;
    placed.right = mainWindow.right + dialog.Width();
  } else {
    placed.right = mainWindow.left;
    placed.left = mainWindow.left - dialog.Width();
  }
  return placed;
}

void RunSensorTestButton(ControlSurface& mainWindow, const std::function<void()>& runDialog) {
  mainWindow.SetText(IDC_SENSOR_TEST, "Testing...");
  mainWindow.Enable(IDC_SENSOR_TEST, false);
  runDialog();
  mainWindow.SetText(IDC_SENSOR_TEST, "Sensor Test");
  mainWindow.Enable(IDC_SENSOR_TEST, true);
  mainWindow.SetFocus(IDC_SENSOR_TEST);
}

SensorTest::SensorTest(MsrAccess& access, TimeSource& time, Threads& threads, Desktop& desktop,
                       ControlSurface& dialog, DialogTimer& timer)
    : access_(access),
      time_(time),
      threads_(threads),
      desktop_(desktop),
      dialog_(dialog),
      timer_(timer),
      coolDown_(texts_.table) {}

SensorTest::~SensorTest() { EndLoad(); }

void SensorTest::EndLoad() {
  loadDone_ = true;
  for (std::unique_ptr<WorkerThread>& thread : loadThreads_) thread->Join();
  loadThreads_.clear();
}

void SensorTest::ReadCoreDistances(int (&distances)[kCoreSlots]) {
  const CpuInfo& cpu = access_.cpu();
  for (int core = 0; core < kCoreSlots; ++core) {
    distances[core] = 0;
    if (cpu.coreSlotMask[core] == 0) continue;
    uint32_t low = 0;
    uint32_t high = 0;
    // A sensor that could not be read gives its last good distance, never
    // 0 (at TjMax) and never another core's.
    if (access_.PinToCpu(cpu.coreSlotMask[core]) && access_.ReadMsr(kMsrThermStatus, &low, &high)) {
      lastDistance_[core] = static_cast<int>((low >> 16) & 0x7F);
    }
    distances[core] = lastDistance_[core];
  }
  access_.RestoreAffinity();
}

std::vector<int> SensorTest::ReadExtraCoreDistances() {
  std::vector<int> distances(extraCoreProcessors_.size());
  if (extraCoreProcessors_.empty()) return distances;
  lastExtraDistance_.resize(extraCoreProcessors_.size());
  for (size_t i = 0; i < extraCoreProcessors_.size(); ++i) {
    uint32_t low = 0;
    uint32_t high = 0;
    // As for the slots: a failed read keeps the core's last good distance.
    if (access_.PinToProcessor(extraCoreProcessors_[i]) && access_.ReadMsr(kMsrThermStatus, &low, &high)) {
      lastExtraDistance_[i] = static_cast<int>((low >> 16) & 0x7F);
    }
    distances[i] = lastExtraDistance_[i];
  }
  access_.RestoreAffinity();
  return distances;
}

void SensorTest::OnInitDialog() {
  extraCoreProcessors_.clear();
  for (const ExtraCore& core : FindExtraCores(access_, false, 0)) extraCoreProcessors_.push_back(core.processor);

  int idle[kCoreSlots] = {};
  ReadCoreDistances(idle);
  const std::vector<int> idleExtra = ReadExtraCoreDistances();
  dialog_.Enable(IDC_STOP, false);

  SaveClockModulation();

  // The load runs until the loaded reading is in, however fast the processor
  // gets through one run of the work.
  const CpuInfo& cpu = access_.cpu();
  loadDone_ = false;
  // One thread for every logical processor; a thread starts in one group
  // only, so each is put into the group of the processor it stands for.
  for (int group = 0; group < cpu.groupCount; ++group) {
    for (int number = 0; number < kProcessorsPerGroup; ++number) {
      if ((cpu.GroupMask(group) >> number & 1) == 0) continue;
      Processor& processor = access_.processor();
      const bool spread = cpu.groupCount > 1;
      std::unique_ptr<WorkerThread> thread = threads_.Start(kThreadPriorityIdle, [this, &processor, spread, group] {
        if (spread) processor.MoveWorkerIntoGroup(group);
        RunWorkUntil(loadDone_);
      });
      if (thread) loadThreads_.push_back(std::move(thread));
    }
  }
  time_.Sleep(kLoadSettleMs);

  int loaded[kCoreSlots] = {};
  ReadCoreDistances(loaded);
  const std::vector<int> loadedExtra = ReadExtraCoreDistances();
  // They end within milliseconds; closing the dialog waits for them, so the
  // dialog does not wait here for threads the scheduler puts last.
  loadDone_ = true;
  bool present[kCoreSlots] = {};
  std::vector<int> notMoving;
  int coreCount = static_cast<int>(extraCoreProcessors_.size());
  for (int core = 0; core < kCoreSlots; ++core) {
    present[core] = cpu.coreSlotMask[core] != 0;
    if (!present[core]) continue;
    ++coreCount;
    // A sensor reading cooler under load is not movement.
    int movement = idle[core] - loaded[core];
    texts_.movement[core] = Format("%d", movement < 0 ? 0 : movement);
    if (movement <= 0) notMoving.push_back(core);
  }
  for (size_t i = 0; i < idleExtra.size(); ++i) {
    if (idleExtra[i] - loadedExtra[i] <= 0) notMoving.push_back(kCoreSlots + static_cast<int>(i));
  }
  texts_.allCoresMovement = coreCount > kCoreSlots ? AllCoresMovementText(notMoving, coreCount) : std::string();
  coolDown_.Prepare(idle, present);
  texts_.table.status = "Press Start to begin a 10 minute sensor test.";
  TransferTexts();
}

void SensorTest::OnStart() {
  // The picker runs a message loop of its own; a second click on Start
  // meanwhile must not open a second picker or launch a second program.
  if (picking_) return;
  // Every phase after the heat-up is a step of clock modulation.
  if (access_.readOnly()) {
    SetStatus(kCoolDownNeedsClockModulation);
    return;
  }
  coolDown_.Begin();
  SetStatus("Open Prime95");
  SetClockModulation(kClockModulationOff);

  OpenFileRequest request;
  request.title = "Open Prime95 - Use Small FFTs option";
  request.initialName = "prime95";
  request.filter = "EXE Files (*.exe)|*.exe||";
  request.mustExist = true;
  request.owner = timer_.AsOwner();
  picking_ = true;
  std::optional<std::string> path = desktop_.PickOpenFile(request);
  picking_ = false;
  if (!path) {
    SetStatus("Unable to Open Prime95");
    return;
  }

  // Prime95 is started on group 0's first 32 processors, as the desktop seam takes them.
  ProcessId process = desktop_.StartProcess(*path, static_cast<uint32_t>(access_.cpu().systemAffinityMask));
  if (!process) {
    TransferTexts();
    return;
  }
  prime95_ = process;
  prime95Launched_ = true;
  texts_.table.status = "Run Small FFTs";
  dialog_.Enable(IDC_START, false);
  dialog_.Enable(IDC_STOP, true);
  dialog_.Enable(IDC_DOWNLOAD_PRIME95, false);
  // The load column stays until each phase rewrites its own cell.
  for (auto& row : texts_.table.coreCells) {
    for (std::string& cell : row) cell.clear();
  }
  timerId_ = timer_.StartTimer(kInitialTimerId, kTickPeriodMs);
  running_ = timerId_ != 0;
  TransferTexts();
}

void SensorTest::StopTest() {
  if (timerId_ != 0) timer_.KillTimer(timerId_);
  running_ = false;
  RestoreClockModulation();
  TerminatePrime95();
  texts_.table.status = texts_.table.coreCells[kCoolDownRows - 1][0].empty() ? "CPU Cool Down Test Stopped."
                                                                              : "CPU Cool Down Test Completed";
  dialog_.Enable(IDC_START, true);
  dialog_.Enable(IDC_STOP, false);
  dialog_.Enable(IDC_DOWNLOAD_PRIME95, true);
  TransferTexts();
}

void SensorTest::OnDownload() {
  SetStatus("Step 3. Download the appropriate program for your OS:");
  desktop_.ShellOpen(kPrime95DownloadPage);
}

void SensorTest::OnTimer() {
  // A tick already queued when the test stopped must not run a step.
  if (!running_) return;
  coolDown_.Tick(*this);
  TransferTexts();
}

void SensorTest::OnDestroy() {
  EndLoad();
  if (timerId_ != 0) timer_.KillTimer(timerId_);
  running_ = false;
  RestoreClockModulation();
  TerminatePrime95();
}

bool SensorTest::IsPrime95Running() { return prime95_ && desktop_.IsProcessRunning(prime95_); }

double SensorTest::MeanProcessorLoad() {
  const CpuInfo& cpu = access_.cpu();
  if (cpu.coreCount <= 0) return 0.0;
  double sum = 0.0;
  for (double load : cpu.coreLoad) sum += load;
  return sum / cpu.coreCount;
}

void SensorTest::SetClockModulation(uint32_t value) { access_.SetClockModulation(value); }

// Clock modulation is set alike on every processor, so the first present
// one's register stands for all. Unpinned, the read would report whichever
// processor the thread happens to be on.
void SensorTest::SaveClockModulation() {
  const CpuInfo& cpu = access_.cpu();
  uint32_t high = 0;
  for (int i = 0; i < cpu.ProcessorLimit(); ++i) {
    if (!cpu.HasProcessor(i)) continue;
    clockModulationSaved_ =
        access_.PinToProcessor(i) && access_.ReadMsr(kMsrClockModulation, &savedClockModulation_, &high);
    break;
  }
  access_.RestoreAffinity();
}

// A refused read gave 0, which written back would be no modulation setting
// the user ever chose.
void SensorTest::RestoreClockModulation() {
  if (clockModulationSaved_) SetClockModulation(savedClockModulation_);
}

void SensorTest::TerminatePrime95() {
  if (!prime95Launched_) return;
  desktop_.TerminateProcess(prime95_);
  prime95Launched_ = false;
}

void SensorTest::ShowError(const std::string& text) {
  desktop_.ShowMessageBox(text, "Error", MessageBoxIcon::kError, MessageBoxButtons::kOk, timer_.AsOwner());
}

void SensorTest::SetStatus(const std::string& status) {
  texts_.table.status = status;
  TransferTexts();
}

void SensorTest::TransferTexts() {
  for (int core = 0; core < kCoreSlots; ++core) dialog_.SetText(kMovementCellIds[core], texts_.movement[core]);
  dialog_.SetText(IDC_MOVEMENT_ALL_CORES, texts_.allCoresMovement);
  for (int row = 0; row < kCoolDownRows; ++row) {
    for (int core = 0; core < kCoreSlots; ++core) {
      dialog_.SetText(kCoolDownCoreCellIds[row][core], texts_.table.coreCells[row][core]);
    }
    dialog_.SetText(kCoolDownLoadCellIds[row], texts_.table.loadCells[row]);
  }
  dialog_.SetText(IDC_STATUS, texts_.table.status);
}

}  // namespace korvath
