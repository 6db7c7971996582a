#include "config/SettingsDialogModel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "TestMachines.h"
#include "config/ClockModulation.h"
#include "config/StartWithWindows.h"
#include "hw/MsrAccess.h"
#include "monitor/TrayIcons.h"
#include "platform/ProfileStore.h"
#include "platform/TextFormat.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedProcessor.h"
#include "platform/sim/SimulatedTaskScheduler.h"
#include "platform/sim/SimulatedTray.h"
#include "resources/resource.h"
#include "ui/InMemoryControlSurface.h"

namespace korvath {
namespace {

constexpr char kDualCore[] =
    "[system]\naffinity = 0x3\n[cpuid]\n0x1 = 0x1067A 0 0 0\n"
    "[msr]\n0x19A = 0x14\n0x19D = 0x20\n0x198 = 0x0000092800000920\n";

// Every control of the dialog's template.
InMemoryControlSurface DialogControls() {
  InMemoryControlSurface controls;
  for (int id : {kOkButton,
                 kCancelButton,
                 IDC_APPLY,
                 IDC_DEFAULTS,
                 IDC_LOG_SECONDS,
                 IDC_ALARM_CPU,
                 IDC_ALARM_GPU,
                 IDC_FONT_OPTION0,
                 IDC_FONT_OPTION1,
                 IDC_FONT_OPTION2,
                 IDC_FONT_OPTION3,
                 IDC_MINIMIZED,
                 IDC_TASK_BAR,
                 IDC_ON_TOP,
                 IDC_LOG_FILE,
                 IDC_ALARMS,
                 IDC_TRAY_INFO,
                 IDC_SET_TJ_MAX,
                 IDC_CORE_VID_MIN,
                 IDC_CORE_VID_MAX,
                 IDC_EXCEL_CSV_FORMAT,
                 IDC_CUSTOM_NORMAL,
                 IDC_CUSTOM_MINI_MODE,
                 IDC_CLOCK_MODULATION_DUTY,
                 IDC_CLOCK_MODULATION,
                 IDC_CLOCK_MODULATION_UP,
                 IDC_CLOCK_MODULATION_DOWN,
                 IDC_ALARM_EXE,
                 IDC_ALARM_FILE,
                 IDC_GPU_COLOR,
                 IDC_GPU_DISPLAY,
                 IDC_HOTTEST_DISPLAY}) {
    controls.Add(id);
  }
  for (int n = 0; n < 4; ++n) {
    for (int first : {IDC_IDLE_CALIBRATION0, IDC_TJ_MAX0, IDC_CORE_COLOR0, IDC_CORE_DISPLAY0}) controls.Add(first + n);
  }
  for (int id = IDC_NORMAL_BACKGROUND; id <= IDC_MINI_MODE_TEXT_COLOR; ++id) controls.Add(id);
  for (int n = 0; n < 4; ++n) controls.Enable(IDC_TJ_MAX0 + n, false);  // TjMax edits start disabled
  return controls;
}

class FakeDialogWindow : public SettingsDialogWindow {
 public:
  WindowRect GetWindowRect() override { return rect; }
  void MoveTo(ScreenPoint topLeft) override {
    rect = {topLeft.x, topLeft.y, topLeft.x + rect.Width(), topLeft.y + rect.Height()};
  }
  void SetTopmost(bool on) override { topmost = on; }
  int ScreenWidth() override { return screenWidth; }
  void End(bool ok) override { ended = ok; }
  OwnerWindow AsOwner() override { return kWindow; }

  static constexpr OwnerWindow kWindow = 0x147;
  WindowRect rect{0, 0, 370, 500};
  int screenWidth = 1280;
  bool topmost = false;
  std::optional<bool> ended;
};

// Keeps each key's last value and the order of every write.
class RecordingStore : public ProfileStore {
 public:
  unsigned ReadInt(std::string_view, int defaultValue) override { return static_cast<unsigned>(defaultValue); }
  std::string ReadString(std::string_view, std::string_view defaultValue, size_t) override {
    return std::string(defaultValue);
  }
  bool WriteString(std::string_view key, std::string_view value) override {
    writes.push_back(std::string(key) + "=" + std::string(value));
    return true;
  }
  bool Wrote(const std::string& keyName) const {
    for (const std::string& w : writes) {
      if (w.rfind(keyName + "=", 0) == 0) return true;
    }
    return false;
  }
  std::vector<std::string> writes;
};

struct Rig {
  explicit Rig(bool gpu = false, const std::string& machine = kDualCore)
      : processor(testing::ParseMachine(machine)), cpu(CreateCpuInfo(processor)), access(processor, cpu),
        clock(access) {
    cpu.signature = 0x1067A;
    settings.coreSlotMask[0] = 1;
    settings.coreSlotMask[1] = 2;
    settings.gpuAvailable = settings.gpuShown = gpu;
    for (int n = 0; n < kCoreSlots; ++n) settings.tjMax[n] = settings.tjMaxDetected[n] = 100;
    settings.iconShow = 1;
    shell.recordCalls = true;
    tray.AddIcon(0);
  }

  SettingsDialogModel& Open() {
    model.emplace(controls, window, links, [this](const std::string& message) { prompts.push_back(message); });
    model->OnInitDialog();
    controls.SetFocus(kOkButton);
    return *model;
  }
  void TypeAndLeave(int id, const std::string& text) {
    controls.Type(id, text);
    model->OnEditChange(id);
    model->OnEditKillFocus(id);
  }
  void Click(int id, int check) {
    controls.SetCheck(id, check);
    model->OnClicked(id);
  }
  uint32_t ClockRegister() {
    uint32_t low = 0, high = 0;
    access.PinToCpu(1);
    access.ReadMsr(kMsrClockModulation, &low, &high);
    access.RestoreAffinity();
    return low;
  }

  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
  ClockModulation clock;
  AppSettings settings;
  SimulatedTray shell;
  TrayIcons tray{settings, shell, shell, SimulatedTray::kApplicationIcon};
  SimulatedDesktop desktop;
  RecordingStore store;
  InMemoryControlSurface controls = DialogControls();
  FakeDialogWindow window;
  int temperatureChanges = 0;
  int repaints = 0;
  std::vector<std::string> brushes;
  SettingsDialogLinks links{settings,
                            tray,
                            clock,
                            store,
                            desktop,
                            WindowRect{100, 50, 418, 428},
                            [this] { ++temperatureChanges; },
                            [this] { ++repaints; },
                            [this](uint32_t c) { brushes.push_back(Format("normal 0x%06X", c)); },
                            [this](uint32_t c) { brushes.push_back(Format("mini 0x%06X", c)); }};
  std::vector<std::string> prompts;
  std::optional<SettingsDialogModel> model;
};

TEST(SettingsDialogRules, ValuesTheEditsAccept) {
  EXPECT_EQ(NearestDivisorOfHour(7), 8u);
  EXPECT_EQ(NearestDivisorOfHour(11), 12u);  // halfway between 10 and 12: a tie goes up
  EXPECT_EQ(NearestDivisorOfHour(1000), 900u);
  EXPECT_EQ(NearestDivisorOfHour(1100), 1200u);
  EXPECT_EQ(NearestDivisorOfHour(0), 1u);
  EXPECT_EQ(NearestDivisorOfHour(5000), 3600u);
  EXPECT_EQ(NearestDivisorOfHour(60), 60u);

  EXPECT_EQ(ValidateIdleText("2.25"), 23);
  EXPECT_EQ(ValidateIdleText("-1.25"), -13);
  EXPECT_EQ(ValidateIdleText("-25"), -199);
  EXPECT_EQ(ValidateIdleText("12"), 99);
  EXPECT_EQ(ValidateIdleText("abc"), 0);
  EXPECT_EQ(ValidateIdleText("1e999"), 0);
  // Decimal only, as the settings file reads it.
  EXPECT_EQ(ValidateIdleText("0x1"), ConvertIdleText("0x1"));
  EXPECT_EQ(ValidateIdleText("0x1"), 0);

  std::string forty = "C:\\Programs\\Alarms\\Sirens\\loudsiren9.exe";
  ASSERT_EQ(forty.size(), 40u);
  EXPECT_EQ(ShortenedAlarmPath(forty), "C:\\Program...\\Sirens\\loudsiren9.exe");
  EXPECT_EQ(ShortenedAlarmPath(forty).size(), 35u);
  EXPECT_EQ(ShortenedAlarmPath(forty.substr(0, 35)), forty.substr(0, 35));
  // Characters, not bytes: "ö" takes two, the emoji four (a surrogate pair
  // in UTF-16), and none is cut.
  EXPECT_EQ(ShortenedAlarmPath("C:\\Pr\xC3\xB6grams\\Alarms\\Sirens\\loudsiren\xF0\x9F\x98\x80.exe"),
            "C:\\Pr\xC3\xB6gram...\\Sirens\\loudsiren\xF0\x9F\x98\x80.exe");
  std::string thirtyFive = "C:\\";
  for (int i = 0; i < 16; ++i) thirtyFive += "\xC3\xA9\xF0\x9F\x98\x80";
  EXPECT_EQ(ShortenedAlarmPath(thirtyFive), thirtyFive);
}

TEST(SettingsDialogModel, DualCoreWithoutGpuOpensWithOnlyItsSlots) {
  Rig rig;
  rig.settings.alarm = 1;
  rig.Open();
  for (int id : {IDC_IDLE_CALIBRATION2, IDC_IDLE_CALIBRATION3, IDC_CORE_DISPLAY2, IDC_CORE_DISPLAY3, IDC_CORE_COLOR2,
                 IDC_CORE_COLOR3, IDC_GPU_DISPLAY, IDC_GPU_COLOR, IDC_ALARM_GPU}) {
    EXPECT_FALSE(rig.controls.IsEnabled(id)) << id;
  }
  for (int id : {IDC_IDLE_CALIBRATION0, IDC_IDLE_CALIBRATION1, IDC_CORE_DISPLAY0, IDC_CORE_DISPLAY1, IDC_ALARM_CPU,
                 IDC_ALARM_FILE, IDC_TASK_BAR})
    EXPECT_TRUE(rig.controls.IsEnabled(id)) << id;
  EXPECT_FALSE(rig.controls.IsEnabled(IDC_APPLY));
  EXPECT_EQ(rig.controls.GetText(IDC_IDLE_CALIBRATION0), "0.0");
  EXPECT_EQ(rig.controls.GetCheck(IDC_CORE_DISPLAY0), 1);
  EXPECT_EQ(rig.controls.GetText(IDC_CORE_VID_MIN), "Min = 1.2250");
  // The register at opening holds code 2, enabled.
  EXPECT_EQ(rig.controls.GetCheck(IDC_CLOCK_MODULATION), 1);
  EXPECT_EQ(rig.controls.GetText(IDC_CLOCK_MODULATION_DUTY), "25.0 %");
  EXPECT_TRUE(rig.controls.UnknownIds().empty());
  // Placed to the right of a main window near the left edge.
  EXPECT_EQ(rig.window.rect.left, 418);
  EXPECT_EQ(rig.window.rect.top, 50);

  rig.model->OnOK();
  EXPECT_EQ(rig.window.ended, true);
  for (const char* absent : {"Idle2", "TjMax2", "IconTextColor2", "Idle3", "IconTextColor4"}) {
    EXPECT_FALSE(rig.store.Wrote(absent)) << absent;
  }
  ASSERT_EQ(rig.store.writes.size(), 25u);
  EXPECT_EQ(rig.store.writes.front(), "IconTextColor0=0xFFFFFF");
  EXPECT_EQ(rig.store.writes.back(), "CustomGUIMini=0");
}

// The read-only driver cannot write clock modulation nor read the minimum VID.
TEST(SettingsDialogModel, ReadOnlyDriverDisablesClockModulationAndTheMinimumVid) {
  Rig rig(false, std::string(kDualCore) + "[driver]\nstatus = 2\nread_only_driver = 1\n");
  ASSERT_FALSE(rig.access.Open().has_value());
  rig.Open();
  for (int id : {IDC_CLOCK_MODULATION, IDC_CLOCK_MODULATION_UP, IDC_CLOCK_MODULATION_DOWN, IDC_CLOCK_MODULATION_DUTY,
                 IDC_CORE_VID_MIN})
    EXPECT_FALSE(rig.controls.IsEnabled(id)) << id;
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_CORE_VID_MAX));
  EXPECT_EQ(rig.controls.GetText(IDC_CORE_VID_MAX), "Max = 1.3250");
  EXPECT_EQ(rig.controls.GetText(IDC_CORE_VID_MIN), "");
  rig.model->OnClicked(IDC_DEFAULTS);
  rig.model->OnCancel();
  EXPECT_FALSE(rig.controls.IsEnabled(IDC_CLOCK_MODULATION));
  for (const ProcessorEvent& event : rig.processor.Events()) {
    EXPECT_NE(event.kind, ProcessorEvent::Kind::kWriteMsr) << event.ToString();
  }
}

TEST(SettingsDialogModel, TrayIconsKeepTheirOrderAndTheTaskBarFallback) {
  Rig rig(/*gpu=*/true);
  rig.tray.DeleteIcon(0);
  rig.settings.iconShow = 0x1 | 0x10 | 0x200 | 0x4000;
  rig.tray.AddIcon(4);
  rig.tray.AddIcon(0);
  rig.Open();

  rig.shell.calls.clear();
  rig.model->OnClicked(IDC_CORE_DISPLAY1);
  EXPECT_EQ(rig.shell.calls, (std::vector<std::string>{"delete 4294", "delete 4298", "add 4298", "add 4295",
                                                       "add 4294"}));
  EXPECT_EQ(rig.tray.AddedIcons(), (std::vector<int>{4, 1, 0}));
  EXPECT_EQ(rig.settings.iconShow, 0x1u | 0x2 | 0x10 | 0x200 | 0x4000);
  EXPECT_EQ(rig.controls.GetCheck(IDC_CORE_DISPLAY1), 1);
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_APPLY));

  // Turning icons off drops bits above 12 and keeps the display-mode bits.
  for (int id : {IDC_GPU_DISPLAY, IDC_CORE_DISPLAY0, IDC_CORE_DISPLAY1}) rig.model->OnClicked(id);
  EXPECT_EQ(rig.settings.iconShow, 0x200u);
  EXPECT_TRUE(rig.tray.AddedIcons().empty());
  EXPECT_EQ(rig.settings.taskBar, 1);
  EXPECT_EQ(rig.controls.GetCheck(IDC_TASK_BAR), 1);
  EXPECT_FALSE(rig.controls.IsEnabled(IDC_TASK_BAR));

  rig.model->OnClicked(IDC_CORE_DISPLAY0);
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_TASK_BAR));
  EXPECT_EQ(rig.settings.taskBar, 1);
}

// The hottest core's icon comes before all others, so core 0 keeps the tip;
// like the other tray checks it acts at once and Cancel keeps it.
TEST(SettingsDialogModel, HottestCoreCheckAddsItsIconFirstAndSurvivesCancel) {
  Rig rig;
  rig.Open();
  EXPECT_EQ(rig.controls.GetCheck(IDC_HOTTEST_DISPLAY), 0);
  rig.shell.calls.clear();
  rig.model->OnClicked(IDC_HOTTEST_DISPLAY);
  EXPECT_EQ(rig.shell.calls, (std::vector<std::string>{"delete 4294", "add 4299", "add 4294"}));
  EXPECT_EQ(rig.tray.AddedIcons(), (std::vector<int>{5, 0}));
  EXPECT_EQ(rig.settings.iconShow, 0x21u);
  EXPECT_EQ(rig.controls.GetCheck(IDC_HOTTEST_DISPLAY), 1);
  rig.model->OnClicked(IDC_CORE_DISPLAY0);
  EXPECT_EQ(rig.tray.AddedIcons(), std::vector<int>{5});
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_TASK_BAR));
  rig.model->OnCancel();
  EXPECT_EQ(rig.settings.iconShow, 0x20u);

  rig.Open();
  EXPECT_EQ((std::vector<int>{rig.controls.GetCheck(IDC_HOTTEST_DISPLAY), rig.controls.GetCheck(IDC_CORE_DISPLAY0)}),
            (std::vector<int>{1, 0}));
  rig.model->OnOK();
  EXPECT_NE(std::find(rig.store.writes.begin(), rig.store.writes.end(), "IconShow=32"), rig.store.writes.end());
}

// The task bar a run forced on (no tray icon) is the run's, not the user's:
// OK writes back the file's TaskBar, unless Task Bar was clicked.
TEST(SettingsDialogModel, OkWritesTaskBarOnlyWhenChosenInTheDialog) {
  Rig forced;
  forced.tray.DeleteIcon(0);
  forced.settings.taskBar = 1;  // forced on at start-up; the file says 0
  forced.Open();
  EXPECT_EQ(forced.controls.GetCheck(IDC_TASK_BAR), 1);
  forced.model->OnOK();
  EXPECT_NE(std::find(forced.store.writes.begin(), forced.store.writes.end(), "TaskBar=0"), forced.store.writes.end());
  EXPECT_EQ(forced.settings.taskBar, 1);  // still forced for the run

  Rig chosen;
  chosen.Open();
  chosen.Click(IDC_TASK_BAR, 1);
  chosen.model->OnOK();
  EXPECT_NE(std::find(chosen.store.writes.begin(), chosen.store.writes.end(), "TaskBar=1"), chosen.store.writes.end());
  EXPECT_EQ(chosen.settings.taskBarInFile, 1);
}

TEST(SettingsDialogModel, EditsValidateWhenTheyLoseFocus) {
  Rig rig;
  rig.Open();
  rig.Click(IDC_SET_TJ_MAX, 1);
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_TJ_MAX0));
  EXPECT_FALSE(rig.controls.IsEnabled(IDC_TJ_MAX2));  // slot 2 is not used
  EXPECT_FALSE(rig.controls.IsEnabled(IDC_APPLY));

  rig.TypeAndLeave(IDC_TJ_MAX0, "150");
  EXPECT_EQ(rig.controls.GetText(IDC_TJ_MAX0), "120");
  EXPECT_EQ(rig.settings.tjMax[0], 120);
  rig.TypeAndLeave(IDC_TJ_MAX1, "60");
  EXPECT_EQ(rig.settings.tjMax[1], 70);
  EXPECT_EQ(rig.temperatureChanges, 2);
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_APPLY));

  rig.TypeAndLeave(IDC_IDLE_CALIBRATION0, "-25");
  EXPECT_EQ(rig.controls.GetText(IDC_IDLE_CALIBRATION0), "-19.9");
  EXPECT_EQ(rig.settings.idleCalibration[0], -199);
  rig.TypeAndLeave(IDC_IDLE_CALIBRATION1, "12");
  EXPECT_EQ(rig.controls.GetText(IDC_IDLE_CALIBRATION1), "9.9");

  const std::pair<const char*, int> intervals[] = {{"7", 8}, {"1000", 900}, {"0", 1}, {"11", 12}};
  for (auto [typed, expected] : intervals) {
    rig.TypeAndLeave(IDC_LOG_SECONDS, typed);
    EXPECT_EQ(rig.settings.logInterval, expected) << typed;
    EXPECT_EQ(rig.controls.GetText(IDC_LOG_SECONDS), std::to_string(expected));
  }
  rig.TypeAndLeave(IDC_ALARM_CPU, "4294967295");
  EXPECT_EQ(rig.settings.alarm1, 125);
  EXPECT_TRUE(rig.prompts.empty());
}

TEST(SettingsDialogModel, RefusedNumberStopsTheTransferThere) {
  Rig rig;
  rig.Open();
  rig.Click(IDC_SET_TJ_MAX, 1);
  rig.controls.Type(IDC_IDLE_CALIBRATION0, "3");
  rig.controls.Type(IDC_TJ_MAX1, "hot");
  rig.controls.SetCheck(IDC_MINIMIZED, 1);
  rig.model->OnClicked(IDC_MINIMIZED);
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.controls.FocusedControl(), IDC_TJ_MAX1);
  // The Minimized check comes after the refused edit and kept its old value.
  EXPECT_EQ(rig.settings.startMinimized, 0);
  // The idle edit before it was taken, though only its own focus loss applies it.
  rig.model->OnEditKillFocus(IDC_IDLE_CALIBRATION0);
  EXPECT_EQ(rig.settings.idleCalibration[0], 30);
}

TEST(SettingsDialogModel, EnterValidatesTheFocusedEditAndStaysOpen) {
  Rig rig;
  rig.settings.logFile = 1;
  rig.Open();
  rig.controls.Type(IDC_LOG_SECONDS, "7");
  rig.controls.SetFocus(IDC_LOG_SECONDS);
  rig.model->OnOK();
  EXPECT_FALSE(rig.window.ended);
  EXPECT_EQ(rig.controls.GetText(IDC_LOG_SECONDS), "8");
  EXPECT_TRUE(rig.store.writes.empty());

  rig.controls.SetFocus(kOkButton);
  rig.model->OnOK();
  EXPECT_EQ(rig.window.ended, true);
  EXPECT_TRUE(rig.store.Wrote("LogInterval"));
  EXPECT_NE(std::find(rig.store.writes.begin(), rig.store.writes.end(), "LogInterval=8"), rig.store.writes.end());
}

// Esc and the close box end the dialog with the focus still in an edit;
// ending it moves the focus, and that edit's lose-focus arrives after Cancel.
TEST(SettingsDialogModel, CancelIsNotUndoneByTheEditLosingFocusAfterwards) {
  Rig rig;
  rig.settings.logFile = 1;
  rig.settings.alarm = 1;
  rig.settings.idleCalibration[0] = 5;
  rig.Open();
  rig.Click(IDC_SET_TJ_MAX, 1);
  const std::pair<int, const char*> typed[] = {
      {IDC_IDLE_CALIBRATION0, "25"}, {IDC_TJ_MAX0, "hot"}, {IDC_ALARM_CPU, "50"}, {IDC_LOG_SECONDS, "7"}};
  for (auto [id, text] : typed) {
    rig.controls.Type(id, text);
    rig.model->OnEditChange(id);
  }
  rig.model->OnCancel();
  int changes = rig.temperatureChanges;
  for (auto [id, text] : typed) {
    rig.model->OnEditKillFocus(id);
    rig.model->OnOK();  // Enter still on its way
  }
  EXPECT_EQ(rig.settings.idleCalibration[0], 5);
  EXPECT_EQ(rig.settings.tjMax[0], 100);
  EXPECT_EQ(rig.settings.alarm1, 100);
  EXPECT_EQ(rig.settings.logInterval, 5);
  EXPECT_EQ(rig.temperatureChanges, changes);
  EXPECT_TRUE(rig.prompts.empty());
  EXPECT_TRUE(rig.store.writes.empty());
  EXPECT_EQ(rig.window.ended, false);
}

TEST(SettingsDialogModel, PickersBelongToTheDialogAndALateAnswerIsDropped) {
  Rig rig;
  rig.settings.alarm = 1;
  rig.Open();
  rig.Click(IDC_CUSTOM_NORMAL, 1);
  for (int id : {IDC_CORE_COLOR0, IDC_NORMAL_BACKGROUND, IDC_ALARM_EXE}) rig.model->OnClicked(id);
  std::vector<OwnerWindow> dialog(3, FakeDialogWindow::kWindow);
  EXPECT_EQ(rig.desktop.owners, dialog);

  // Should the dialog end while a picker is open, its colour is not applied.
  rig.desktop.pickedColours = {0x0000FF};
  rig.desktop.whileOpen = [&rig] { rig.model->OnCancel(); };
  rig.model->OnClicked(IDC_CORE_COLOR1);
  EXPECT_EQ(rig.window.ended, false);
  EXPECT_EQ(rig.settings.iconTextColor[1], 0xFFFFFFu);
}

TEST(SettingsDialogModel, ColoursWaitForApplyAndCancelKeepsTheApply) {
  Rig rig;
  rig.Open();
  rig.Click(IDC_CUSTOM_NORMAL, 1);
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_NORMAL_BACKGROUND));
  rig.desktop.pickedColours = {0x123456};
  rig.model->OnClicked(IDC_NORMAL_BACKGROUND);
  EXPECT_EQ(rig.settings.guiColor, 0xF4F3EEu);  // not yet
  rig.controls.SetCheck(IDC_FONT_OPTION0, 0);
  rig.Click(IDC_FONT_OPTION1, 1);
  EXPECT_EQ(rig.settings.fontNumber, 1);
  rig.model->OnClicked(IDC_CLOCK_MODULATION_UP);  // 25 % -> 37.5 %
  EXPECT_EQ(rig.ClockRegister(), 0x16u);

  rig.model->OnClicked(IDC_APPLY);
  EXPECT_EQ(rig.settings.guiColor, 0x123456u);
  EXPECT_EQ(rig.settings.customGui, 1);
  EXPECT_EQ(rig.brushes, (std::vector<std::string>{"normal 0x123456", "mini 0xF4F3EE"}));
  EXPECT_FALSE(rig.controls.IsEnabled(IDC_APPLY));
  EXPECT_EQ(rig.controls.FocusedControl(), kOkButton);

  rig.Click(IDC_TRAY_INFO, 1);
  rig.model->OnCancel();
  EXPECT_EQ(rig.window.ended, false);
  EXPECT_EQ(rig.settings.fontNumber, 1);
  EXPECT_EQ(rig.settings.guiColor, 0x123456u);
  EXPECT_EQ(rig.settings.trayInfo, 0);
  // Back to the register as read at opening, not normalised.
  EXPECT_EQ(rig.ClockRegister(), 0x14u);
  EXPECT_TRUE(rig.store.writes.empty());
}

TEST(SettingsDialogModel, DefaultsThenCancelBringsTheSnapshotBack) {
  Rig rig;
  rig.settings.logFile = 1;
  rig.settings.logInterval = 60;
  rig.settings.alarm1 = 90;
  rig.settings.idleCalibration[1] = -15;
  rig.settings.onTop = 1;
  rig.settings.alarmFile = "C:\\siren.exe";
  rig.settings.tjMaxDetected[0] = 105;
  rig.Open();
  EXPECT_TRUE(rig.window.topmost);

  rig.model->OnClicked(IDC_DEFAULTS);
  EXPECT_EQ(rig.settings.logFile, 0);
  EXPECT_EQ(rig.settings.logInterval, 5);
  EXPECT_EQ(rig.settings.alarm1, 105);
  EXPECT_EQ(rig.settings.tjMax[0], 105);
  EXPECT_EQ(rig.settings.alarmFile, "");
  EXPECT_EQ(rig.controls.GetText(IDC_IDLE_CALIBRATION1), "0.0");
  EXPECT_EQ(rig.controls.GetText(IDC_CLOCK_MODULATION_DUTY), "12.5 %");
  EXPECT_EQ(rig.ClockRegister(), 2u);
  EXPECT_FALSE(rig.window.topmost);
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_APPLY));
  EXPECT_EQ(rig.settings.taskBar, 0);

  rig.model->OnCancel();
  EXPECT_EQ(rig.settings.logFile, 1);
  EXPECT_EQ(rig.settings.logInterval, 60);
  EXPECT_EQ(rig.settings.alarm1, 90);
  EXPECT_EQ(rig.settings.idleCalibration[1], -15);
  EXPECT_EQ(rig.settings.tjMax[0], 100);
  EXPECT_EQ(rig.settings.onTop, 1);
  EXPECT_EQ(rig.settings.alarmFile, "C:\\siren.exe");
  EXPECT_EQ(rig.ClockRegister(), 0x14u);

  // Without a tray icon the task bar is the only way back to the window.
  Rig iconless;
  iconless.tray.DeleteIcon(0);
  iconless.Open();
  iconless.model->OnClicked(IDC_DEFAULTS);
  EXPECT_EQ(iconless.settings.taskBar, 1);
  EXPECT_EQ(iconless.controls.GetCheck(IDC_TASK_BAR), 1);
}

TEST(SettingsDialogModel, MainWindowNearTheRightEdgeGetsTheDialogOnItsLeft) {
  Rig rig;
  rig.links.mainWindowRect = {900, 60, 1218, 438};
  rig.Open();
  EXPECT_EQ(rig.window.rect, (WindowRect{530, 60, 900, 560}));
}

TEST(SettingsDialogModel, AlarmProgramPickerShowsAShortenedPath) {
  Rig rig;
  rig.settings.alarm = 1;
  rig.Open();
  rig.desktop.pickedFile = "C:\\Programs\\Alarms\\Sirens\\loudsiren9.exe";
  rig.model->OnClicked(IDC_ALARM_EXE);
  EXPECT_EQ(rig.desktop.fileRequests.back().title, "Open File to Run on Alarm");
  EXPECT_EQ(rig.settings.alarmFile, *rig.desktop.pickedFile);
  EXPECT_EQ(rig.controls.GetText(IDC_ALARM_FILE), "C:\\Program...\\Sirens\\loudsiren9.exe");
  EXPECT_FALSE(rig.controls.IsEnabled(IDC_APPLY));

  rig.desktop.pickedFile.reset();
  rig.model->OnClicked(IDC_ALARM_EXE);
  EXPECT_EQ(rig.settings.alarmFile, "");
  EXPECT_EQ(rig.controls.GetText(IDC_ALARM_FILE), "");
}

}  // namespace
}  // namespace korvath

namespace korvath {
namespace {

// The check box waits for Apply or OK, as the dialog colours do; a refusal
// keeps the dialog open with the box showing the task as it is.
TEST(SettingsDialogModel, StartWithWindowsChangesTheTaskOnApplyOrOk) {
  Rig rig;
  SimulatedTaskScheduler scheduler;
  StartWithWindows startup(scheduler, rig.desktop, "C:\\Korvath\\korvath.exe");
  rig.links.startWithWindows = &startup;
  rig.controls.Add(IDC_START_WITH_WINDOWS);
  rig.Open();
  EXPECT_EQ(rig.controls.GetCheck(IDC_START_WITH_WINDOWS), 0);
  rig.Click(IDC_START_WITH_WINDOWS, 1);
  EXPECT_TRUE(rig.controls.IsEnabled(IDC_APPLY));
  EXPECT_TRUE(scheduler.tasks.empty());
  rig.model->OnCancel();
  EXPECT_EQ(scheduler.calls, (std::vector<std::string>{"find \\Korvath\\Korvath"}));
  EXPECT_TRUE(scheduler.tasks.empty());

  rig.Open();
  rig.Click(IDC_START_WITH_WINDOWS, 1);
  rig.model->OnClicked(IDC_APPLY);
  EXPECT_EQ(scheduler.tasks.size(), 1u);
  rig.model->OnCancel();
  EXPECT_EQ(scheduler.tasks.size(), 1u);

  rig.Open();
  EXPECT_EQ(rig.controls.GetCheck(IDC_START_WITH_WINDOWS), 1);
  rig.Click(IDC_START_WITH_WINDOWS, 0);
  scheduler.failure = {SchedulerFailure::kServiceNotRunning, 0x80041315};
  rig.store.writes.clear();
  rig.window.ended.reset();
  rig.model->OnOK();
  EXPECT_EQ(rig.window.ended, std::nullopt);
  EXPECT_TRUE(rig.store.writes.empty());
  EXPECT_EQ(rig.desktop.messages.size(), 1u);
  EXPECT_EQ(rig.desktop.owners.back(), FakeDialogWindow::kWindow);
  // The task cannot be read while the service is down: the box shows off.
  EXPECT_EQ(rig.controls.GetCheck(IDC_START_WITH_WINDOWS), 0);
  scheduler.failure = {};
  rig.model->OnOK();
  EXPECT_EQ(rig.window.ended, true);
  EXPECT_EQ(scheduler.tasks.size(), 1u);  // the box showed off, as the task read then
  EXPECT_FALSE(rig.store.writes.empty());
}

}  // namespace
}  // namespace korvath
