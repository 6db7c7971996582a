#include "tools/SensorTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "tools/SensorTestRig.h"

namespace korvath {
namespace {

using testing::SensorTestRig;

TEST(SensorTest, ReadCoreDistancesPinsToEachPresentCore) {
  SensorTestRig rig;
  rig.SetDistance(0, 38);
  rig.processor.PokeMsr(1, kMsrThermStatus, 0x88FF0000);  // bit 23 is not part of the distance
  int distances[kCoreSlots] = {-1, -1, -1, -1};
  rig.test.ReadCoreDistances(distances);
  EXPECT_EQ(distances[0], 38);
  EXPECT_EQ(distances[1], 0x7F);
  EXPECT_EQ(distances[2], 0);
  EXPECT_EQ(distances[3], 0);

  std::vector<std::string> reads;
  for (const ProcessorEvent& event : rig.processor.Events()) {
    if (event.kind == ProcessorEvent::Kind::kReadMsr) reads.push_back(event.ToString());
  }
  EXPECT_EQ(reads, (std::vector<std::string>{"read cpu0 0x19C", "read cpu1 0x19C"}));
  EXPECT_EQ(rig.processor.ProcessMask(), 0x3u);
  EXPECT_EQ(rig.processor.ThreadMask(), 0x3u);
}

TEST(SensorTest, MovementShowsHowFarEachPresentSensorMovedUnderLoad) {
  SensorTestRig rig;
  rig.SetDistances(38, 40);
  rig.processor.PokeMsr(0, kMsrClockModulation, 0x1A);
  std::vector<uint32_t> sleeps;
  rig.clock.onSleep = [&](uint32_t ms) {
    sleeps.push_back(ms);
    // Core 0 warms by 6 degrees; core 1 reads cooler under load.
    rig.SetDistances(32, 41);
  };
  rig.test.OnInitDialog();

  EXPECT_EQ(sleeps, (std::vector<uint32_t>{4000}));
  EXPECT_EQ(rig.threads.workerPriorities, (std::vector<int>{kThreadPriorityIdle, kThreadPriorityIdle}));
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT0), "6");
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT1), "0");
  // A two-core processor leaves the other cells empty.
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT2), "");
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT3), "");
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT_ALL_CORES), "");
  EXPECT_EQ(rig.Status(), "Press Start to begin a 10 minute sensor test.");
  EXPECT_FALSE(rig.dialog.IsEnabled(IDC_STOP));
  EXPECT_EQ(rig.test.savedClockModulation(), 0x1Au);
  EXPECT_EQ(rig.test.coolDown().presentCores(), 2);
  for (int core = 0; core < kCoreSlots; ++core) EXPECT_EQ(rig.test.coolDown().minimumDistance(core), 100);
  // The loaded reading is in, so the load threads' work ends as soon as it runs.
  for (const std::function<void()>& worker : rig.threads.workers) worker();
  rig.test.OnDestroy();
  EXPECT_EQ(rig.threads.joins, 2);
}

// Sixteen cores: every processor carries load, every core is read on its
// first processor, and the line under the four cells names the one core
// beyond them whose sensor stayed put. Thirty-two cores that all move say
// so, and so do sixteen of which none moves.
TEST(SensorTest, MovementOfEveryCoreBeyondTheFourCells) {
  SensorTestRig rig("i9-12900k");
  for (int cpu = 0; cpu < 24; ++cpu) rig.SetDistance(cpu, 60);
  rig.clock.onSleep = [&](uint32_t) {
    for (int cpu = 0; cpu < 24; ++cpu) rig.SetDistance(cpu, cpu == 21 ? 60 : 55);  // E-core 21 is core 13
  };
  rig.test.OnInitDialog();
  EXPECT_EQ(rig.threads.workerPriorities.size(), 24u);
  for (int id : kMovementCellIds) EXPECT_EQ(rig.dialog.GetText(id), "5");
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT_ALL_CORES), "Did not move: 13 (1 of 16 cores)");
  std::vector<int> readOn;
  for (const ProcessorEvent& event : rig.processor.Events()) {
    if (event.kind == ProcessorEvent::Kind::kReadMsr && event.index == kMsrThermStatus) readOn.push_back(event.cpu);
  }
  const std::vector<int> pass = {0, 2, 4, 6, 8, 10, 12, 14, 16, 17, 18, 19, 20, 21, 22, 23};
  std::vector<int> twice = pass;
  twice.insert(twice.end(), pass.begin(), pass.end());
  EXPECT_EQ(readOn, twice);

  SensorTestRig server("xeon-6130-2s");
  server.clock.onSleep = [&](uint32_t) {
    for (int cpu = 0; cpu < 64; ++cpu) server.SetDistance(cpu, 20);
  };
  server.test.OnInitDialog();
  EXPECT_EQ(server.dialog.GetText(IDC_MOVEMENT_ALL_CORES), "All 32 cores moved");

  SensorTestRig still("i9-12900k");
  still.test.OnInitDialog();
  EXPECT_EQ(still.dialog.GetText(IDC_MOVEMENT_ALL_CORES), "None of the 16 cores moved");
}

// A refused read or pin gives the core's last good distance: the movement is
// then 0, not the whole distance to TjMax.
TEST(SensorTest, FailedReadsGiveTheLastGoodDistance) {
  SensorTestRig rig;
  rig.SetDistances(38, 40);
  rig.clock.onSleep = [&](uint32_t) {
    rig.SetDistances(32, 33);
    rig.processor.RefuseThreadAffinity(0x2);
  };
  rig.test.OnInitDialog();
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT0), "6");
  EXPECT_EQ(rig.dialog.GetText(IDC_MOVEMENT1), "0");
}

TEST(SensorTest, StartLaunchesThePickedProgramOnAllProcessors) {
  SensorTestRig rig;
  rig.SetDistances(38, 38);
  rig.test.OnInitDialog();
  rig.processor.ClearEvents();
  rig.test.OnStart();

  ASSERT_EQ(rig.desktop.fileRequests.size(), 1u);
  const OpenFileRequest& request = rig.desktop.fileRequests[0];
  EXPECT_EQ(request.title, "Open Prime95 - Use Small FFTs option");
  EXPECT_EQ(request.initialName, "prime95");
  EXPECT_EQ(request.filter, "EXE Files (*.exe)|*.exe||");
  EXPECT_TRUE(request.mustExist);
  EXPECT_EQ(request.owner, testing::FakeTimer::kWindow);
  ASSERT_EQ(rig.desktop.started.size(), 1u);
  EXPECT_EQ(rig.desktop.started[0].first, "C:\\tools\\prime95.exe");
  EXPECT_EQ(rig.desktop.started[0].second, 0x3u);

  // "Open Prime95" is shown before the picker opens.
  std::vector<std::string> statuses = rig.dialog.HistoryOf(IDC_STATUS);
  ASSERT_GE(statuses.size(), 2u);
  EXPECT_EQ(statuses[statuses.size() - 2], "Open Prime95");
  EXPECT_EQ(rig.Status(), "Run Small FFTs");
  EXPECT_FALSE(rig.dialog.IsEnabled(IDC_START));
  EXPECT_TRUE(rig.dialog.IsEnabled(IDC_STOP));
  EXPECT_FALSE(rig.dialog.IsEnabled(IDC_DOWNLOAD_PRIME95));
  EXPECT_EQ(rig.timer.starts, (std::vector<std::pair<uintptr_t, uint32_t>>{{2, 1000}}));
  EXPECT_EQ(rig.ModulationWrites(), (std::vector<uint64_t>{2}));
  EXPECT_TRUE(rig.test.running());
}

TEST(SensorTest, StartPressedAgainWhileThePickerIsOpenIsIgnored) {
  SensorTestRig rig;
  rig.test.OnInitDialog();
  rig.desktop.whileOpen = [&] { rig.test.OnStart(); };
  rig.test.OnStart();
  EXPECT_EQ(rig.desktop.fileRequests.size(), 1u);
  EXPECT_EQ(rig.desktop.started.size(), 1u);
  EXPECT_EQ(rig.timer.starts.size(), 1u);
  EXPECT_EQ(rig.Status(), "Run Small FFTs");
}

TEST(SensorTest, CancelledPickerLeavesModulationOffAndStopDisabled) {
  SensorTestRig rig;
  rig.test.OnInitDialog();
  rig.desktop.pickedFile.reset();
  rig.test.OnStart();
  EXPECT_EQ(rig.Status(), "Unable to Open Prime95");
  EXPECT_FALSE(rig.dialog.IsEnabled(IDC_STOP));
  EXPECT_TRUE(rig.dialog.IsEnabled(IDC_START));
  EXPECT_TRUE(rig.desktop.started.empty());
  EXPECT_TRUE(rig.timer.starts.empty());
  EXPECT_EQ(rig.processor.PeekMsr(1, kMsrClockModulation), 2u);
}

TEST(SensorTest, StartOnTheReadOnlyDriverSaysWhyAndStartsNothing) {
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.driverStatus = 2;
  machine.readOnlyDriver = true;
  SensorTestRig rig(machine);
  ASSERT_FALSE(rig.access.Open().has_value());
  rig.test.OnInitDialog();
  rig.test.OnStart();
  EXPECT_EQ(rig.Status(), kCoolDownNeedsClockModulation);
  EXPECT_TRUE(rig.desktop.started.empty());
  EXPECT_TRUE(rig.timer.starts.empty());
  EXPECT_TRUE(rig.ModulationWrites().empty());
  EXPECT_TRUE(rig.dialog.IsEnabled(IDC_START));
}

TEST(SensorTest, FailedLaunchKeepsOpenPrime95AndStartEnabled) {
  SensorTestRig rig;
  rig.test.OnInitDialog();
  rig.desktop.startSucceeds = false;
  rig.test.OnStart();
  EXPECT_EQ(rig.Status(), "Open Prime95");
  EXPECT_TRUE(rig.dialog.IsEnabled(IDC_START));
  EXPECT_TRUE(rig.timer.starts.empty());
  EXPECT_FALSE(rig.test.running());
}

TEST(SensorTest, SecondStartEmptiesTheCoreCellsButKeepsTheLoadColumn) {
  SensorTestRig rig;
  rig.OpenAndStart();
  for (int tick = 1; tick <= kCoolDownLastTick; ++tick) rig.test.OnTimer();
  ASSERT_EQ(rig.Cell(9, 0), "38.0");
  std::string heatUpLoad = rig.LoadCell(0);

  rig.test.OnStart();
  for (int row = 0; row < kCoolDownRows; ++row) {
    for (int core = 0; core < kCoreSlots; ++core) EXPECT_EQ(rig.Cell(row, core), "") << row;
  }
  EXPECT_EQ(rig.LoadCell(0), heatUpLoad);
  EXPECT_EQ(rig.LoadCell(9), "Idle");
  EXPECT_EQ(rig.test.coolDown().tick(), 0);
}

// The register is read pinned to the first processor and the read is
// checked: one that fails leaves nothing to put back, so neither Stop nor
// closing writes the register.
TEST(SensorTest, ClockModulationIsReadPinnedAndOnlyWhatWasReadGoesBack) {
  SensorTestRig rig;
  rig.processor.PokeMsr(0, kMsrClockModulation, 0x1A);
  rig.test.OnInitDialog();
  std::vector<std::string> events = rig.processor.EventStrings();
  auto read = std::find(events.begin(), events.end(), "read cpu0 0x19A");
  ASSERT_NE(read, events.end());
  auto pin = std::find_if(std::make_reverse_iterator(read), events.rend(),
                          [](const std::string& event) { return event.rfind("thread-affinity", 0) == 0; });
  ASSERT_NE(pin, events.rend());
  EXPECT_EQ(*pin, "thread-affinity 0x1");
  EXPECT_EQ(*(read + 1), "thread-affinity 0x3");
  EXPECT_TRUE(rig.test.clockModulationSaved());
  EXPECT_EQ(rig.test.savedClockModulation(), 0x1Au);
  rig.test.OnDestroy();

  // The movement test's two sensor reads come first; the third read fails.
  MachineDescription machine = testing::LoadMachine("e8400");
  machine.readFailsEvery = 3;
  SensorTestRig failing(machine);
  failing.processor.PokeMsr(0, kMsrClockModulation, 0x1A);
  failing.processor.PokeMsr(1, kMsrClockModulation, 0x1A);
  failing.test.OnInitDialog();
  EXPECT_FALSE(failing.test.clockModulationSaved());
  failing.test.OnStart();
  failing.processor.ClearEvents();
  failing.test.OnStop();
  failing.test.OnDestroy();
  EXPECT_TRUE(failing.ModulationWrites().empty());
  EXPECT_EQ(failing.processor.PeekMsr(1, kMsrClockModulation), 2u);  // as Start left it
}

TEST(SensorTest, StopEndsPrime95AndRestoresTheSavedModulation) {
  SensorTestRig rig;
  rig.processor.PokeMsr(0, kMsrClockModulation, 0x1A);
  rig.OpenAndStart();
  for (int tick = 1; tick <= 250; ++tick) rig.test.OnTimer();
  rig.test.OnStop();
  EXPECT_EQ(rig.Status(), "CPU Cool Down Test Stopped.");
  EXPECT_EQ(rig.desktop.terminated, (std::vector<uint32_t>{4242}));
  EXPECT_EQ(rig.timer.kills, (std::vector<uintptr_t>{77}));
  EXPECT_EQ(rig.processor.PeekMsr(0, kMsrClockModulation), 0x1Au);
  EXPECT_EQ(rig.processor.PeekMsr(1, kMsrClockModulation), 0x1Au);
  EXPECT_TRUE(rig.dialog.IsEnabled(IDC_START));
  EXPECT_FALSE(rig.dialog.IsEnabled(IDC_STOP));
  EXPECT_TRUE(rig.dialog.IsEnabled(IDC_DOWNLOAD_PRIME95));

  // Nothing is left to terminate a second time.
  rig.test.OnStop();
  EXPECT_EQ(rig.desktop.terminated.size(), 1u);
}

TEST(SensorTest, ClosingDuringATestEndsPrime95) {
  SensorTestRig rig;
  rig.OpenAndStart();
  for (int tick = 1; tick <= 30; ++tick) rig.test.OnTimer();
  rig.test.OnDestroy();
  EXPECT_EQ(rig.desktop.terminated, (std::vector<uint32_t>{4242}));
  EXPECT_EQ(rig.timer.kills, (std::vector<uintptr_t>{77}));
  EXPECT_EQ(rig.ModulationWrites().back(), SensorTestRig::savedModulation);
}

TEST(SensorTest, IsPrime95RunningOnlyForTheLaunchedProcess) {
  SensorTestRig rig;
  rig.test.OnInitDialog();
  EXPECT_FALSE(rig.test.IsPrime95Running());
  rig.test.OnStart();
  EXPECT_TRUE(rig.test.IsPrime95Running());
  rig.desktop.EndAllProcesses();
  EXPECT_FALSE(rig.test.IsPrime95Running());
}

TEST(SensorTest, DownloadOpensThePublishersPage) {
  SensorTestRig rig;
  rig.test.OnDownload();
  EXPECT_EQ(rig.Status(), "Step 3. Download the appropriate program for your OS:");
  EXPECT_EQ(rig.desktop.Events(), (std::vector<std::string>{std::string("open ") + kPrime95DownloadPage}));
  EXPECT_NE(std::string(kPrime95DownloadPage).find("/freesoft/"), std::string::npos);
}

TEST(SensorTest, NoPresentCoresIsSafe) {
  SensorTestRig rig;
  for (uint32_t& mask : rig.cpu.coreSlotMask) mask = 0;
  rig.cpu.coreCount = 0;
  rig.test.OnInitDialog();
  rig.test.OnStart();
  for (int tick = 1; tick <= kCoolDownLastTick; ++tick) rig.test.OnTimer();
  EXPECT_EQ(rig.Cell(0, 0), "");
  EXPECT_EQ(rig.LoadCell(0), "100.0%");
  EXPECT_EQ(rig.Status(), "CPU Cool Down Test Stopped.");
}

TEST(SensorTestPlacement, OpensOnTheSideWithMoreRoom) {
  WindowRect dialog{0, 0, 300, 400};
  WindowRect left = PlaceBesideMainWindow({100, 50, 400, 300}, dialog, 1920);
  EXPECT_EQ(left.left, 400);
  EXPECT_EQ(left.right, 700);
  EXPECT_EQ(left.top, 50);
  EXPECT_EQ(left.bottom, 450);

  WindowRect right = PlaceBesideMainWindow({1500, 80, 1800, 300}, dialog, 1920);
  EXPECT_EQ(right.right, 1500);
  EXPECT_EQ(right.left, 1200);
  EXPECT_EQ(right.top, 80);

  // Equal room on both sides: to the left of the main window.
  EXPECT_EQ(PlaceBesideMainWindow({810, 0, 1110, 200}, dialog, 1920).right, 810);
}

TEST(SensorTestButton, ShowsTestingWhileTheDialogRuns) {
  InMemoryControlSurface mainWindow{IDC_SENSOR_TEST};
  std::string duringRun;
  bool enabledDuringRun = true;
  RunSensorTestButton(mainWindow, [&] {
    duringRun = mainWindow.GetText(IDC_SENSOR_TEST);
    enabledDuringRun = mainWindow.IsEnabled(IDC_SENSOR_TEST);
  });
  EXPECT_EQ(duringRun, "Testing...");
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_EQ(mainWindow.GetText(IDC_SENSOR_TEST), "Sensor Test");
  EXPECT_TRUE(mainWindow.IsEnabled(IDC_SENSOR_TEST));
  EXPECT_EQ(mainWindow.FocusedControl(), IDC_SENSOR_TEST);
}

}  // namespace
}  // namespace korvath
