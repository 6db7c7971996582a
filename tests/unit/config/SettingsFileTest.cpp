#include "config/SettingsFile.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "config/ClockModulation.h"
#include "config/IniProfileStore.h"
#include "config/ScratchFile.h"
#include "hw/MsrAccess.h"
#include "platform/TextFormat.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {
namespace {

constexpr char kTwoCores[] = "[system]\naffinity = 0x3\n[cpuid]\n0x1 = 0x1067A 0 0 0\n";

struct Rig {
  explicit Rig(const std::string& machine = kTwoCores)
      : processor(testing::ParseMachine(machine), nullptr, CallRecord::kOn),
        cpu(CreateCpuInfo(processor)),
        access(processor, cpu),
        clock(access),
        store(file.path(), "Korvath") {
    facts.coreCount = cpu.coreCount;
    facts.signature = 0x1067A;
    facts.detectedTjMax[0] = facts.detectedTjMax[1] = 100;
    facts.coreSlotMask[0] = 0x1;
    facts.coreSlotMask[1] = 0x2;
  }

  AppSettings Read(const std::string& text, bool gpu = false) {
    if (!text.empty()) file.Write("[Korvath]\n" + text);
    facts.gpuAvailable = gpu;
    AppSettings settings = ReadSettings(store, facts, clock);
    ReadIconShow(store, settings);
    return settings;
  }

  testing::ScratchFile file;
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
  ClockModulation clock;
  IniProfileStore store;
  StartupFacts facts;
};

TEST(SettingsFile, NoFileGivesTheDefaults) {
  for (bool gpu : {false, true}) {
    Rig rig;
    AppSettings s = rig.Read("", gpu);
    EXPECT_FALSE(rig.file.Exists());
    EXPECT_EQ(s.tjMax[0], 100);
    EXPECT_EQ(s.tjMaxDetected[1], 100);
    EXPECT_EQ(s.idleCalibration[0], 0);
    EXPECT_EQ(s.logInterval, 5);
    EXPECT_EQ(s.alarm1, 100);
    EXPECT_EQ(s.alarm2, gpu ? 100 : 0);
    EXPECT_EQ(s.hdWrite, 60);
    EXPECT_EQ(s.iconShow, 1u);
    EXPECT_EQ(s.iconTextColor[4], 0xFFFFFFu);
    EXPECT_EQ(s.guiColor, 0xF4F3EEu);
    EXPECT_EQ(s.guiMiniColor, 0xF4F3EEu);
    EXPECT_EQ(s.guiText, 0u);
    EXPECT_EQ(s.customGui, 0);
    EXPECT_EQ(s.degreeSuffix, "\xC2\xB0" "C");
    EXPECT_EQ(s.gpuShown, gpu);
    EXPECT_EQ(s.coreSlotMask[1], 0x2u);
    EXPECT_TRUE(rig.processor.Events().empty()) << "nothing touches the processor";
  }
}

TEST(SettingsFile, RangeRules) {
  struct Case {
    const char* text;
    int AppSettings::*field;
    int expected;
  } cases[] = {
      {"LogInterval=7", &AppSettings::logInterval, 5},   {"LogInterval=7200", &AppSettings::logInterval, 5},
      {"LogInterval=3600", &AppSettings::logInterval, 3600}, {"LogInterval=16", &AppSettings::logInterval, 16},
      {"LogInterval=0", &AppSettings::logInterval, 5},   {"LogInterval=-5", &AppSettings::logInterval, 5},
      {"Alarm1=126", &AppSettings::alarm1, 125},         {"Alarm1=-1", &AppSettings::alarm1, 125},
      {"Alarm1=0", &AppSettings::alarm1, 0},             {"HDWrite=0", &AppSettings::hdWrite, 1},
      {"HDWrite=90000", &AppSettings::hdWrite, 86400},   {"HDWrite=-1", &AppSettings::hdWrite, 86400},
      {"FontNumber=3", &AppSettings::fontNumber, 3},     {"FontNumber=4", &AppSettings::fontNumber, 0},
      {"FontNumber=-1", &AppSettings::fontNumber, 0},    {"TaskBar=2", &AppSettings::taskBar, 0},
      {"TaskBar=1", &AppSettings::taskBar, 1},           {"OnTop=7", &AppSettings::onTop, 1},
      {"Bold=5", &AppSettings::fontWeightIncrement, 200}, {"MinimizeOnClose=0x10", &AppSettings::minimizeOnClose, 1},
  };
  for (const Case& c : cases) {
    Rig rig;
    EXPECT_EQ(rig.Read(std::string(c.text) + "\n").*c.field, c.expected) << c.text;
  }
}

TEST(SettingsFile, TjMaxOverrideOnlyFrom70To120) {
  Rig rig;
  rig.facts.detectedTjMax[2] = rig.facts.detectedTjMax[3] = 95;
  AppSettings s = rig.Read("TjMax0=69\nTjMax1=70\nTjMax2=120\nTjMax3=121\n");
  EXPECT_EQ(s.tjMax[0], 100);
  EXPECT_EQ(s.tjMax[1], 70);
  EXPECT_EQ(s.tjMax[2], 120);
  EXPECT_EQ(s.tjMax[3], 95);
  EXPECT_EQ(s.tjMaxDetected[1], 100);
}

TEST(SettingsFile, IdleTextConversion) {
  struct Case {
    const char* text;
    int tenths;
  } cases[] = {
      {"9.96", 0},  {"9.94", 99},  {"-19.9", -199}, {"-19.96", 0}, {"warm", 0},  {"2.25", 23},
      {"-1.25", -13}, {"-25", 0},  {" 1.5x", 15},   {"+.5", 5},    {"", 0},      {"inf", 0},
      {"1e300", 0}, {"-0.04", 0},  {"0.05", 1},     {"nan", 0},    {"-0.25", -3}, {"3abc", 30},
      {"-1e300", 0}, {"0x1", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertIdleText(c.text), c.tenths) << c.text;

  Rig rig;
  AppSettings s = rig.Read("Idle0=9.94\nIdle1=-19.9\nIdle2=9.96\nIdle3=x\n");
  EXPECT_EQ(s.idleCalibration[0], 99);
  EXPECT_EQ(s.idleCalibration[1], -199);
  EXPECT_EQ(s.idleCalibration[2], 0);
  EXPECT_EQ(s.idleCalibration[3], 0);
}

TEST(SettingsFile, EveryIdleCalibrationSurvivesItsOwnText) {
  for (int tenths = -199; tenths <= 99; ++tenths) {
    EXPECT_EQ(ConvertIdleText(Format("%.1f", tenths / 10.0)), tenths);
  }
}

TEST(SettingsFile, ColoursInHexadecimalOrDecimal) {
  Rig rig;
  AppSettings s = rig.Read("IconTextColor2=0x0000FF\nGUIColor=16053230\nGUIMiniColor=0xF4F3EE\nGUIText=0x12345678\n");
  EXPECT_EQ(s.iconTextColor[2], 255u);
  EXPECT_EQ(s.iconTextColor[1], 0xFFFFFFu);
  EXPECT_EQ(s.guiColor, s.guiMiniColor);
  EXPECT_EQ(s.guiText, 0x12345678u);
}

TEST(SettingsFile, GpuKeys) {
  Rig noGpu;
  AppSettings s = noGpu.Read("Alarm2=80\nIconShow=31\n");
  EXPECT_EQ(s.alarm2, 0);
  EXPECT_EQ(s.iconShow, 15u);

  Rig gpu;
  s = gpu.Read("Alarm2=80\nIconShow=31\n", true);
  EXPECT_EQ(s.alarm2, 80);
  EXPECT_EQ(s.iconShow, 31u);
  EXPECT_TRUE(s.gpuShown);

  // NoGPU comes after Alarm2: the threshold stays, the GPU goes.
  Rig switchedOff;
  s = switchedOff.Read("Alarm2=130\nNoGPU=1\nIconShow=31\n", true);
  EXPECT_EQ(s.alarm2, 125);
  EXPECT_FALSE(s.gpuAvailable);
  EXPECT_FALSE(s.gpuShown);
  EXPECT_EQ(s.iconShow, 15u);
}

TEST(SettingsFile, TextKeys) {
  Rig rig;
  AppSettings s =
      rig.Read("AlarmFile=C:\\alarm.bat\nDegreeSymbolString=degrees Celsius\nMetricsFile=metrics\\k.prom\n");
  EXPECT_EQ(s.alarmFile, "C:\\alarm.bat");
  EXPECT_EQ(s.metricsFile, "metrics\\k.prom");
  EXPECT_EQ(s.degreeSuffix, "degrees Cel");

  Rig empty;
  s = empty.Read("DegreeSymbolString=\n");
  EXPECT_EQ(s.degreeSuffix, "\xC2\xB0" "C");
}

TEST(SettingsFile, PackedPositions) {
  EXPECT_EQ(PackWindowPosition({100, 50}), 540156004u);
  EXPECT_EQ(PackWindowPosition({0, 0}), 536813568u);
  EXPECT_EQ(PackPosition({0, 0}), 0x20002000u);
  EXPECT_EQ(UnpackPosition(540156004u), (ScreenPoint{100, 50}));
  EXPECT_EQ(UnpackPosition(PackPosition({-1200, -30})), (ScreenPoint{-1200, -30}));
  // Far off screen: clamped, never spilling into the other coordinate.
  EXPECT_EQ(UnpackPosition(PackPosition({-9000, 70000})), (ScreenPoint{-8192, 57343}));

  Rig rig;
  AppSettings s = rig.Read("WindowXY=540156004\n");
  EXPECT_EQ(s.windowXY, 540156004u);
  EXPECT_EQ(s.anchorXY, 0u);
}

TEST(SettingsFile, SkullOnlyOnEightProcessorsThatAreNotCoreI7) {
  Rig four;
  four.facts.coreCount = 4;
  EXPECT_EQ(four.Read("Skull=2\n").coreSlotMask[0], 0x1u);

  Rig eight;
  eight.facts.coreCount = 8;
  AppSettings s = eight.Read("Skull=2\n");
  EXPECT_EQ(s.coreSlotMask[0], 0x10u);
  EXPECT_EQ(s.coreSlotMask[3], 0x80u);

  Rig coreI7;
  coreI7.facts.coreCount = 8;
  coreI7.facts.signature = 0x106A5;
  EXPECT_EQ(coreI7.Read("Skull=1\n").coreSlotMask[2], 0x0u);
}

TEST(SettingsFile, DialogWriteInOrderAndFormatsLeavingOtherKeys) {
  Rig rig;
  const std::string handWritten =
      "[Korvath]\n; by hand\nHDWrite=90000\nBold=1\nNoGPU=1\nSkull=2\nDegreeSymbolString=F\n"
      "MinimizeOnClose=1\nWindowXY=540156004\nMetricsFile=C:\\metrics\\korvath.prom\n";
  rig.file.Write(handWritten);
  rig.facts.gpuAvailable = true;
  AppSettings s = ReadSettings(rig.store, rig.facts, rig.clock);
  s.gpuShown = true;  // as if the dialog turned the GPU display on
  s.iconTextColor[0] = 0x0000FF;
  s.iconTextColor[4] = 0xABCDEF;
  s.idleCalibration[1] = -13;
  s.tjMax[1] = 95;
  s.iconShow = 0x213;
  s.alarmFile = "";
  s.guiMiniText = 0x1;
  WriteDialogSettings(rig.store, s);
  EXPECT_EQ(rig.file.Read(),
            handWritten +
                "IconTextColor0=0x0000FF\nIdle0=0.0\nTjMax0=100\n"
                "IconTextColor1=0xFFFFFF\nIdle1=-1.3\nTjMax1=95\n"
                "IconTextColor4=0xABCDEF\n"
                "IconShow=531\nFontNumber=0\nStartMinimized=0\nTaskBar=0\nOnTop=0\nTrayInfo=0\n"
                "LogFile=0\nLogInterval=5\nAlarm=0\nAlarm1=100\nAlarm2=100\nCSV=0\nAlarmFile=\n"
                "GUIColor=0xF4F3EE\nGUIMiniColor=0xF4F3EE\nGUIText=0x000000\nGUIMiniText=0x000001\n"
                "CustomGUI=0\nCustomGUIMini=0\n");

  // Read back, the written values are what the dialog had.
  rig.facts.gpuAvailable = true;
  AppSettings again = ReadSettings(rig.store, rig.facts, rig.clock);
  EXPECT_EQ(again.idleCalibration[1], -13);
  EXPECT_EQ(again.tjMax[1], 95);
  EXPECT_EQ(again.iconTextColor[0], 0x0000FFu);
  EXPECT_EQ(again.hdWrite, 86400);
}

TEST(SettingsFile, WindowStateWrite) {
  Rig rig;
  WindowState state;
  state.iconShow = 3;
  state.apicIds = "01";
  state.clockMod = 0x8000001E;
  WriteWindowState(rig.store, state);
  EXPECT_EQ(rig.file.Read(), "[Korvath]\r\nMiniMode=0\r\nIconShow=3\r\nAPICID=01\r\nClockMod=-2147483618\r\n");
  EXPECT_EQ(rig.store.ReadInt("ClockMod", 0), 0x8000001Eu);

  Rig moved;
  state.normalWindowRectSet = true;
  state.windowTopLeft = {0, 0};
  state.anchorCopy = {5, 5};  // the anchor point itself is what gets written
  state.miniMode = true;
  state.clockMod = 2;
  WriteWindowState(moved.store, state);
  EXPECT_EQ(moved.file.Read(),
            "[Korvath]\r\nWindowXY=536813568\r\nAnchorXY=536879104\r\nMiniMode=1\r\nIconShow=3\r\n"
            "APICID=01\r\nClockMod=2\r\n");
}

TEST(SettingsFile, ApicIdsOfEveryProcessor) {
  Rig rig("[system]\naffinity = 0xF\n[cpuid]\n0x1 = 0 0 0 0\n[cpuid.cpu1]\n0x1 = 0 0x01000000 0 0\n"
          "[cpuid.cpu2]\n0x1 = 0 0x0A000000 0 0\n[cpuid.cpu3]\n0x1 = 0 0x03000000 0 0\n");
  EXPECT_EQ(ReadApicIds(rig.access), "0123");
  EXPECT_EQ(rig.processor.ProcessMask(), 0xFu);
  EXPECT_EQ(rig.processor.ThreadMask(), 0xFu);
}

}  // namespace
}  // namespace korvath
