#include "hw/TemperatureMonitor.h"

#include <gtest/gtest.h>

#include "TestMachines.h"
#include "hw/MsrAccess.h"
#include "monitor/CoreSlotControls.h"
#include "monitor/CoreTexts.h"
#include "platform/sim/SimulatedClock.h"
#include "platform/sim/SimulatedProcessor.h"
#include "resources/resource.h"
#include "ui/DisplayTexts.h"

namespace korvath {
namespace {

uint64_t ThermStatus(int readout, int bits = 0) {
  return 0x88000000u | (static_cast<uint32_t>(readout) << 16) | static_cast<uint32_t>(bits);
}

// Two cores in slots 0 and 1 on processors 0 and 1, TjMax 100.
struct Rig {
  Rig() : processor(testing::ParseMachine("[system]\naffinity = 0x3\n"), &clock, CallRecord::kOn), cpu(CreateCpuInfo(processor)),
          access(processor, cpu), monitor(access, clock, tjMax) {
    cpu.coreSlotMask[0] = 0x1;
    cpu.coreSlotMask[1] = 0x2;
  }
  void SetReadout(int cpuIndex, int readout, int bits = 0) {
    processor.PokeMsr(cpuIndex, kMsrThermStatus, ThermStatus(readout, bits));
  }
  // One slot's read and, as the monitor cycle does, its texts.
  bool Sample(int slot) {
    bool read = monitor.SampleCoreTemperature(slot);
    if (read) {
      const TemperatureStats& stats = monitor.stats();
      SetCoreTexts(texts, kCoreSlotControls[slot], monitor.sample(slot), monitor.change(slot), stats.minTime[slot],
                   stats.maxTime[slot], degreeSuffix);
    }
    return read;
  }
  // One monitor cycle's share: counted, then every slot, a second apart.
  void Cycle() {
    clock.AdvanceMilliseconds(1000);
    monitor.stats().cycleCount += 1;
    for (int slot = 0; slot < kCoreSlots; ++slot) Sample(slot);
  }
  void Reset() {
    monitor.ResetStatistics();
    for (const CoreSlotControls& controls : kCoreSlotControls) ClearRecordTexts(texts, controls);
  }

  SimulatedClock clock;
  SimulatedProcessor processor;
  CpuInfo cpu;
  MsrAccess access;
  int tjMax[kCoreSlots] = {100, 100, 100, 100};
  DisplayTexts texts;
  std::string degreeSuffix = "\xC2\xB0" "C";
  TemperatureMonitor monitor;
};

TEST(TemperatureMonitor, TemperatureFromReadoutCalibrationAndStatus) {
  struct Case {
    const char* what;
    int readout;
    bool hotNow;
    int calibration;
    int tjMax;
    int temperature;
  } cases[] = {
      {"at TjMax the calibration vanishes", 0, false, 50, 100, 100},
      {"calibration +1.5 at distance 100", 100, false, 15, 100, 3},
      {"-7 x 30 / 400 truncates toward zero", 30, false, -7, 100, 70},
      {"-9.9 x 100 / 400 is -24", 100, false, -99, 105, -19},
      {"calibration ignored while hot", 40, true, 50, 100, 60},
      {"127 with the signal is one above TjMax", 127, true, 0, 90, 91},
      {"78 with the signal wraps", 78, true, 0, 100, 150},
      {"77 with the signal does not wrap", 77, true, 0, 100, 23},
      {"127 without the signal is far below", 127, false, 0, 100, -27},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CoreTemperature(c.readout, c.hotNow, c.tjMax, c.calibration), c.temperature) << c.what;
  }
}

TEST(TemperatureMonitor, StatusTexts) {
  EXPECT_STREQ(ThermalStatusText(false, false, 0), "OK");
  EXPECT_STREQ(ThermalStatusText(false, true, 0), "LOG");
  EXPECT_STREQ(ThermalStatusText(true, true, 3), "HOT");
  EXPECT_STREQ(ThermalStatusText(true, false, 2), "---");
  EXPECT_STREQ(ThermalStatusText(true, false, 3), "--");

  ThermalSample sample = DecodeThermalStatus(0x887F0003, 1);
  EXPECT_EQ(sample.readout, 127);
  EXPECT_TRUE(sample.hotNow);
  EXPECT_TRUE(sample.hotLogged);
  EXPECT_EQ(sample.statusText, "HOT");
  // Bits above the 7-bit field and the valid bit are not part of the readout.
  EXPECT_EQ(DecodeThermalStatus(0xFFA50000, 0).readout, 0x25);
}

TEST(TemperatureMonitor, SamplingPinsReadsAndRestoresPerPresentSlot) {
  Rig rig;
  rig.cpu.coreSlotMask[0] = 0x2;  // slots need not follow processor order
  rig.cpu.coreSlotMask[1] = 0x1;
  rig.SetReadout(0, 30);
  rig.SetReadout(1, 40, 0x2);
  rig.processor.ClearEvents();
  rig.Cycle();
  EXPECT_EQ(rig.processor.EventStrings(),
            (std::vector<std::string>{"process-affinity 0x3", "thread-affinity 0x2", "yield", "read cpu1 0x19C",
                                      "thread-affinity 0x3", "thread-affinity 0x1",
                                      "yield", "read cpu0 0x19C", "thread-affinity 0x3"}));
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE0), "60");
  EXPECT_EQ(rig.texts.Get(IDC_DISTANCE0), "40");
  EXPECT_EQ(rig.texts.Get(IDC_THERMAL_STATUS0), "LOG");
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE1), "70");
  EXPECT_EQ(rig.texts.Get(IDC_THERMAL_STATUS1), "OK");
  // Absent slots are not touched at all.
  EXPECT_FALSE(rig.texts.Has(IDC_TEMPERATURE2));
  EXPECT_FALSE(rig.texts.Has(IDC_THERMAL_STATUS3));
  EXPECT_FALSE(rig.texts.Has(IDC_MINIMUM3));
}

// A refused pin (the sensor would be read on the wrong core) is no reading:
// before a first good one the slot shows nothing, after it the slot keeps it.
// A reading of 0 that was never taken must not show TjMax or stick as the maximum.
TEST(TemperatureMonitor, NoReadingLeavesTheLastGoodOne) {
  Rig rig;
  rig.SetReadout(0, 38);
  rig.processor.RefuseThreadAffinity(0x1);
  EXPECT_FALSE(rig.Sample(0));
  EXPECT_FALSE(rig.monitor.hasReading(0));
  EXPECT_FALSE(rig.texts.Has(IDC_TEMPERATURE0));
  EXPECT_EQ(rig.monitor.stats().maxTemp[0], kMaxTempStart);

  rig.processor.RefuseThreadAffinity(0);
  EXPECT_TRUE(rig.Sample(0));
  rig.SetReadout(0, 0);
  rig.processor.RefuseThreadAffinity(0x1);
  EXPECT_FALSE(rig.Sample(0));
  EXPECT_EQ(rig.monitor.sample(0).temperature, 62);
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE0), "62");
  EXPECT_EQ(rig.texts.Get(IDC_MAXIMUM0), "62\xC2\xB0" "C");
  EXPECT_EQ(rig.monitor.stats().tempSum[0], 124);
}

TEST(TemperatureMonitor, RecordsKeepTheFirstTimeOnTies) {
  Rig rig;
  rig.SetReadout(0, 40);
  rig.Cycle();  // 12:00:01, 60
  EXPECT_EQ(rig.texts.Get(IDC_MINIMUM0), "60\xC2\xB0" "C");
  EXPECT_EQ(rig.texts.Get(IDC_MAXIMUM0), "60\xC2\xB0" "C");
  EXPECT_EQ(rig.texts.Get(IDC_MINIMUM_TIME0), "12:00:01");
  EXPECT_EQ(rig.texts.Get(IDC_MAXIMUM_TIME0), "12:00:01");

  rig.SetReadout(0, 30);
  rig.Cycle();  // 12:00:02, 70: new maximum
  rig.SetReadout(0, 40);
  rig.Cycle();  // 12:00:03, 60 again: the minimum keeps 12:00:01
  rig.SetReadout(0, 30);
  rig.Cycle();  // 12:00:04, 70 again: the maximum keeps 12:00:02
  EXPECT_EQ(rig.texts.Get(IDC_MINIMUM_TIME0), "12:00:01");
  EXPECT_EQ(rig.texts.Get(IDC_MAXIMUM0), "70\xC2\xB0" "C");
  EXPECT_EQ(rig.texts.Get(IDC_MAXIMUM_TIME0), "12:00:02");
  const TemperatureStats& stats = rig.monitor.stats();
  EXPECT_EQ(stats.minTime[0].tm_sec, 1);
  EXPECT_EQ(stats.maxTime[0].tm_sec, 2);
  EXPECT_EQ(stats.minDistance[0], 30);
  EXPECT_EQ(stats.maxDistance[0], 40);
  EXPECT_EQ(stats.tempSum[0], 260);
  EXPECT_EQ(stats.distanceSum[0], 140);
  EXPECT_EQ(stats.AverageTemperature(0), 65);
  EXPECT_EQ(stats.AverageDistance(0), 35);
}

TEST(TemperatureMonitor, ResetThenOneCycleStartsTheRecordsAgain) {
  Rig rig;
  rig.SetReadout(0, 40);
  rig.SetReadout(1, 45);
  rig.Cycle();
  rig.SetReadout(0, 20);
  rig.Cycle();
  rig.Reset();
  const TemperatureStats& stats = rig.monitor.stats();
  EXPECT_EQ(stats.cycleCount, 0u);
  EXPECT_EQ(stats.minTemp[0], 128);
  EXPECT_EQ(stats.maxTemp[4], -64);
  EXPECT_EQ(stats.tempSum[1], 0);
  EXPECT_EQ(stats.AverageTemperature(0), 0);  // no cycle counted yet
  EXPECT_EQ(stats.maxTime[0].tm_sec, 2);      // times survive a Reset
  for (int id : {IDC_MINIMUM0, IDC_MAXIMUM1, IDC_MINIMUM_TIME2, IDC_MAXIMUM_TIME3}) {
    EXPECT_TRUE(rig.texts.Has(id));
    EXPECT_EQ(rig.texts.Get(id), "");
  }
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE0), "80");  // the last sample stays shown
  EXPECT_EQ(rig.monitor.sample(0).temperature, 80);

  rig.SetReadout(0, 35);
  rig.Cycle();
  EXPECT_EQ(stats.cycleCount, 1u);
  EXPECT_EQ(rig.texts.Get(IDC_MINIMUM0), "65\xC2\xB0" "C");
  EXPECT_EQ(rig.texts.Get(IDC_MAXIMUM0), "65\xC2\xB0" "C");
  EXPECT_EQ(rig.texts.Get(IDC_MINIMUM1), "55\xC2\xB0" "C");
  EXPECT_EQ(rig.texts.Get(IDC_MAXIMUM_TIME1), "12:00:03");
  EXPECT_EQ(stats.AverageTemperature(0), 65);
}

TEST(TemperatureMonitor, SuffixCalibrationAndTjMaxPerSlot) {
  Rig rig;
  rig.degreeSuffix = "F";
  rig.monitor.idleCalibration[1] = 15;
  rig.tjMax[1] = 105;  // as the Settings dialog changes it while running
  rig.SetReadout(0, 55);
  rig.SetReadout(1, 100);
  rig.Cycle();
  EXPECT_EQ(rig.texts.Get(IDC_MINIMUM0), "45F");
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE0), "45");
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE1), "8");  // 105 - 100 + 3
}

TEST(TemperatureMonitor, HotReadingsAboveTjMax) {
  Rig rig;
  rig.SetReadout(0, 127, 0x3);
  rig.SetReadout(1, 77, 0x1);
  rig.monitor.idleCalibration[0] = 50;
  rig.Cycle();
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE0), "101");
  EXPECT_EQ(rig.texts.Get(IDC_DISTANCE0), "127");
  EXPECT_EQ(rig.texts.Get(IDC_THERMAL_STATUS0), "HOT");
  EXPECT_EQ(rig.texts.Get(IDC_TEMPERATURE1), "23");
  EXPECT_EQ(rig.texts.Get(IDC_THERMAL_STATUS1), "---");
  // The register is only read: the log bit is the processor's to clear.
  for (const ProcessorEvent& event : rig.processor.Events()) {
    EXPECT_NE(event.kind, ProcessorEvent::Kind::kWriteMsr);
  }
}

TEST(TemperatureMonitor, GpuSharesTheStatisticsWithoutTexts) {
  Rig rig;
  rig.clock.AdvanceMilliseconds(5000);
  rig.monitor.stats().cycleCount = 2;
  rig.monitor.RecordGpuTemperature(55);
  rig.clock.AdvanceMilliseconds(1000);
  rig.monitor.RecordGpuTemperature(61);
  const TemperatureStats& stats = rig.monitor.stats();
  EXPECT_EQ(stats.minTemp[kGpuEntry], 55);
  EXPECT_EQ(stats.maxTemp[kGpuEntry], 61);
  EXPECT_EQ(stats.minTime[kGpuEntry].tm_sec, 5);
  EXPECT_EQ(stats.maxTime[kGpuEntry].tm_sec, 6);
  EXPECT_EQ(stats.AverageTemperature(kGpuEntry), 58);
  EXPECT_TRUE(rig.texts.All().empty());
}

}  // namespace
}  // namespace korvath
