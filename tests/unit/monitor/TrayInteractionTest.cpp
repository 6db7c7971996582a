#include "monitor/TrayInteraction.h"

#include <gtest/gtest.h>

#include "config/StartWithWindows.h"
#include "monitor/ShutdownSteps.h"
#include "platform/TextFormat.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedTaskScheduler.h"
#include "platform/sim/SimulatedTray.h"

namespace korvath {
namespace {

class RecordingWindow : public TrayWindow {
 public:
  bool IsVisible() override { return visible; }
  void Minimize() override { calls.push_back("minimize"); }
  void Hide() override {
    calls.push_back("hide");
    visible = false;
  }
  void ShowRestored() override {
    calls.push_back("restore");
    visible = true;
  }
  void SetTitle(const std::string& title) override { calls.push_back("title " + title); }
  int RunTrayMenu(const std::vector<TrayMenuItem>& items) override {
    menu = items;
    return choice;
  }
  void EndWindow() override { calls.push_back("end"); }
  void ResetStatistics() override { calls.push_back("reset"); }
  void ShowHistory() override { calls.push_back("history"); }

  std::string MenuText() const {
    std::string text;
    for (const TrayMenuItem& item : menu) {
      if (item.IsSeparator()) {
        text += "-|";
        continue;
      }
      text += item.text + (item.checked ? "*" : "") + (item.grayed ? "~" : "") + "|";
    }
    return text;
  }

  bool visible = true;
  int choice = 0;
  std::vector<TrayMenuItem> menu;
  std::vector<std::string> calls;
};

struct InteractionRig {
  AppSettings settings;
  RecordingWindow window;
  TrayInteraction tray{settings, window};
  void Choose(int command) {
    window.choice = command;
    tray.OnTrayNotification(kMouseRightButtonDown);
  }
};

TEST(TrayInteraction, MenuShowsModeChecksAndWindowItems) {
  InteractionRig rig;
  rig.settings.iconShow = 0x1401;
  rig.tray.windowRestored = true;
  rig.Choose(0);
  EXPECT_EQ(rig.window.MenuText(),
            "Core Temperature|Distance to TJ Max*|-|Current|Minimum|Maximum*|Average|-|Reset|History...|-|Minimize|Exit|");
  EXPECT_TRUE(rig.window.calls.empty());

  rig.settings.iconShow = 0x1;
  rig.tray.windowRestored = false;  // minimised but still on the task bar
  rig.tray.settingsOpen = true;
  rig.Choose(0);
  EXPECT_EQ(rig.window.MenuText(),
            "Core Temperature*|Distance to TJ Max|-|Current*|Minimum|Maximum|Average|-|Reset|History...|-|Minimize|Restore|Exit~|");
  rig.window.visible = false;
  rig.Choose(0);
  std::string hidden = rig.window.MenuText();
  EXPECT_EQ(hidden.substr(hidden.find("Reset")), "Reset|History...|-|Restore|Exit~|");
}

TEST(TrayInteraction, StartWithWindowsShowsAndTogglesTheTask) {
  InteractionRig rig;
  SimulatedTaskScheduler scheduler;
  SimulatedDesktop desktop;
  StartWithWindows startup(scheduler, desktop, "C:\\Korvath\\korvath.exe");
  rig.tray.SetStartWithWindows(&startup);
  rig.Choose(kTrayCommandStartWithWindows);
  EXPECT_EQ(rig.window.MenuText(),
            "Core Temperature*|Distance to TJ Max|-|Current*|Minimum|Maximum|Average|-|Reset|History...|Start with Windows|-|"
            "Minimize|Exit|");
  EXPECT_EQ(scheduler.tasks.count("\\Korvath\\Korvath"), 1u);
  rig.Choose(0);
  EXPECT_NE(rig.window.MenuText().find("|Start with Windows*|"), std::string::npos);
  rig.Choose(kTrayCommandStartWithWindows);
  EXPECT_TRUE(scheduler.tasks.empty());
  EXPECT_TRUE(desktop.messages.empty());
}

TEST(TrayInteraction, ModeCommandsKeepTheIconBits) {
  InteractionRig rig;
  struct Step {
    int command;
    uint32_t after;
  } steps[] = {
      {kTrayCommandDistance, 0x1013},  {kTrayCommandMinimum, 0x1213}, {kTrayCommandAverage, 0x1813},
      {kTrayCommandMaximum, 0x1413},   {kTrayCommandCurrent, 0x1013}, {kTrayCommandTemperature, 0x0013},
  };
  rig.settings.iconShow = 0x13;
  for (const Step& step : steps) {
    rig.Choose(step.command);
    EXPECT_EQ(rig.settings.iconShow, step.after) << step.command;
  }
  // Bits above 12 only a hand-edited file sets: Temperature clears them,
  // Current and the statistics keep only icon and distance bits.
  rig.settings.iconShow = 0xF0A03;
  rig.Choose(kTrayCommandTemperature);
  EXPECT_EQ(rig.settings.iconShow, 0xA03u);
  rig.settings.iconShow = 0xF1E03;
  rig.Choose(kTrayCommandCurrent);
  EXPECT_EQ(rig.settings.iconShow, 0x1003u);
  rig.Choose(kTrayCommandReset);
  rig.Choose(kTrayCommandHistory);
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"reset", "history"}));
}

// The item toggles the icon as the Settings dialog's check does, but never
// takes away the last icon the menu came from, nor acts under the dialog.
TEST(TrayInteraction, HottestCoreItemShowsAndHidesItsIcon) {
  InteractionRig rig;
  rig.settings.coreSlotMask[0] = 1;
  rig.settings.coreSlotMask[1] = 2;
  SimulatedTray shell;
  TrayIcons icons(rig.settings, shell, shell, SimulatedTray::kApplicationIcon);
  icons.BeginAdding({true, true, false, false, false}, 0);
  rig.tray.SetTrayIcons(&icons);
  rig.Choose(kTrayCommandHottestCore);
  EXPECT_EQ(rig.window.MenuText().substr(rig.window.MenuText().find("Reset")),
            "Reset|History...|Hottest core|-|Minimize|Exit|");
  EXPECT_EQ(icons.AddedIcons(), (std::vector<int>{5, 0}));
  EXPECT_EQ(rig.settings.iconShow, 0x21u);

  ToggleTrayIcon(icons, rig.settings, 0);
  rig.Choose(kTrayCommandHottestCore);
  EXPECT_NE(rig.window.MenuText().find("|Hottest core*~|"), std::string::npos);
  EXPECT_EQ(icons.AddedIcons(), std::vector<int>{5});
  ToggleTrayIcon(icons, rig.settings, 0);
  rig.tray.settingsOpen = true;
  rig.Choose(kTrayCommandHottestCore);
  EXPECT_EQ(rig.settings.iconShow, 0x21u);
  rig.tray.settingsOpen = false;
  rig.Choose(kTrayCommandHottestCore);
  EXPECT_EQ(icons.AddedIcons(), std::vector<int>{0});
  EXPECT_EQ(rig.settings.iconShow, 0x01u);
}

TEST(TrayInteraction, MinimizeAndRestoreRules) {
  InteractionRig rig;
  rig.tray.windowRestored = true;
  rig.Choose(kTrayCommandMinimize);
  rig.tray.OnSize(false);  // minimised, TaskBar off: the window leaves the task bar
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"minimize", "hide"}));

  rig.window.calls.clear();
  rig.window.visible = true;
  rig.Choose(kTrayCommandMinimize);  // minimised already, TaskBar off
  EXPECT_TRUE(rig.window.calls.empty());
  rig.settings.taskBar = true;
  rig.Choose(kTrayCommandMinimize);
  EXPECT_EQ(rig.window.calls, std::vector<std::string>{"hide"});

  rig.window.calls.clear();
  rig.tray.OnSize(false);  // with TaskBar on a minimised window keeps its button
  rig.Choose(kTrayCommandRestore);
  rig.tray.OnSize(true);
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"restore", "title Korvath 2.90"}));

  rig.window.calls.clear();
  rig.tray.OnTrayNotification(kMouseLeftButtonDoubleClick);
  rig.tray.OnSize(false);
  rig.tray.OnTrayNotification(kMouseLeftButtonDoubleClick);
  rig.tray.OnTrayNotification(0x201);  // a single click does nothing
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"minimize", "restore"}));
}

TEST(TrayInteraction, NewWindowCountsAsRestoredBeforeAnySizeNotification) {
  InteractionRig rig;
  rig.Choose(0);
  EXPECT_EQ(rig.window.MenuText().substr(rig.window.MenuText().find("Reset")), "Reset|History...|-|Minimize|Exit|");
  rig.tray.OnTrayNotification(kMouseLeftButtonDoubleClick);
  rig.Choose(kTrayCommandMinimize);
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"minimize", "minimize"}));
}

TEST(TrayInteraction, CloseMinimisesOnlyWhenAskedAndExitAlwaysEnds) {
  InteractionRig rig;
  EXPECT_TRUE(rig.tray.OnClose());
  rig.settings.minimizeOnClose = true;
  EXPECT_FALSE(rig.tray.OnClose());
  EXPECT_EQ(rig.window.calls, std::vector<std::string>{"minimize"});

  rig.window.calls.clear();
  rig.Choose(kTrayCommandExit);
  EXPECT_EQ(rig.window.calls, std::vector<std::string>{"end"});

  // Exit greyed under the Settings dialog: a stray command does not end it.
  rig.window.calls.clear();
  rig.tray.settingsOpen = true;
  rig.Choose(kTrayCommandExit);
  EXPECT_TRUE(rig.window.calls.empty());
}

class RecordingShutdown : public ShutdownSteps {
 public:
  void KillMonitorTimer() override { calls.push_back("timer"); }
  void WriteWindowState() override { calls.push_back("settings"); }
  void FlushLog() override { calls.push_back("log"); }
  void DeleteTrayIcons() override { calls.push_back("tray"); }
  void SwitchClockModulationOff() override { calls.push_back("clockmod"); }
  void DeleteFontsAndBrushes() override { calls.push_back("fonts"); }
  void DisableFixedCounters() override { calls.push_back("counters"); }
  void ReleaseHardware() override { calls.push_back("hardware"); }
  std::vector<std::string> calls;
};

TEST(ShutdownSteps, StopsTheCycleFirstAndReleasesTheHardwareLast) {
  RecordingShutdown steps;
  RunShutdown(steps);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"timer", "settings", "log", "tray", "clockmod", "fonts",
                                                   "counters", "hardware"}));
}

}  // namespace
}  // namespace korvath
