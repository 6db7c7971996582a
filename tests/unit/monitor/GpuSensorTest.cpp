#include "monitor/GpuSensor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMachines.h"
#include "platform/sim/SimulatedGpuSource.h"

namespace korvath {
namespace {

MachineDescription MachineWithGpus(const std::string& temperatures) {
  return testing::ParseMachine("[gpu]\ntemperatures = " + temperatures + "\n");
}

TEST(GpuSensor, OpensTheDriverInOrderWithTheRecordVersions) {
  SimulatedGpuSource source(testing::LoadMachine("e8400"));
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.status(), 0);
  EXPECT_EQ(sensor.gpuCount(), 2u);
  EXPECT_EQ(sensor.lastGpuTemperature(), 0);
  EXPECT_EQ(source.Calls(), (std::vector<std::string>{
                                "load", "initialize", "driver-version 0x1008C", "enum-display 0",
                                "physical-gpus 0xD1500"}));

  source.ClearCalls();
  EXPECT_EQ(sensor.ReadGpuTemperature(), 61);
  EXPECT_EQ(source.Calls(), (std::vector<std::string>{"thermal gpu0 sensor0 0x10044",
                                                      "thermal gpu1 sensor0 0x10044"}));
}

TEST(GpuSensor, AnyOpeningFailureLeavesReadingOffWithoutFurtherCalls) {
  struct Case {
    const char* name;
    GpuCall failing;
    int code;
    size_t callsMade;
  } cases[] = {
      {"library missing", GpuCall::kLoad, kGpuError, 1},
      {"initialise refused", GpuCall::kInitialize, kGpuError, 2},
      {"no working driver", GpuCall::kGetDisplayDriverVersion, kGpuError, 3},
      {"no display", GpuCall::kEnumNvidiaDisplayHandle, kGpuDeviceNotFound, 4},
      {"no GPU on the display", GpuCall::kGetPhysicalGpusFromDisplay, kGpuError, 5},
      // A positive answer is not OK for the calls after initialisation.
      {"driver version warning", GpuCall::kGetDisplayDriverVersion, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedGpuSource source(MachineWithGpus("58"));
    source.FailCall(c.failing, c.code);
    GpuSensor sensor(source);
    EXPECT_EQ(sensor.status(), -1);
    EXPECT_EQ(source.Calls().size(), c.callsMade);
    EXPECT_FALSE(sensor.IsReadingOn(false));

    source.ClearCalls();
    EXPECT_EQ(sensor.ReadGpuTemperature(), 0);
    EXPECT_TRUE(source.Calls().empty());
  }
}

TEST(GpuSensor, MachinesWithoutAGpuLeaveReadingOff) {
  SimulatedGpuSource noLibrary(testing::ParseMachine("[system]\naffinity = 0x1\n"));
  EXPECT_EQ(GpuSensor(noLibrary).status(), -1);
  EXPECT_EQ(noLibrary.Calls(), (std::vector<std::string>{"load"}));

  SimulatedGpuSource noDevice(testing::ParseMachine("[gpu]\ntemperatures =\n"));
  EXPECT_EQ(GpuSensor(noDevice).status(), -1);
  EXPECT_EQ(noDevice.Calls(), (std::vector<std::string>{"load", "initialize"}));
}

TEST(GpuSensor, OnlyANegativeInitialiseAnswerIsAFailure) {
  SimulatedGpuSource source(MachineWithGpus("58"));
  source.FailCall(GpuCall::kInitialize, 3);
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.status(), 0);
  EXPECT_TRUE(sensor.IsReadingOn(false));
  // NoGPU keeps the driver open but switches the reading off.
  EXPECT_FALSE(sensor.IsReadingOn(true));
}

TEST(GpuSensor, TheHottestGpuWins) {
  SimulatedGpuSource source(MachineWithGpus("55 61"));
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 61);
  EXPECT_EQ(sensor.lastGpuTemperature(), 61);

  source.SetTemperature(0, 70);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 70);
  // A GPU that cooled down is not masked by the last value while it answers.
  source.SetTemperature(0, 40);
  source.SetTemperature(1, 42);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 42);
  EXPECT_EQ(sensor.lastGpuTemperature(), 42);
}

TEST(GpuSensor, AFailedReadingKeepsTheLastGoodValue) {
  SimulatedGpuSource source(MachineWithGpus("58"));
  source.FailReadingsAfter(0, 1);
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 58);
  source.SetTemperature(0, 90);  // never seen: the readings fail from now on
  EXPECT_EQ(sensor.ReadGpuTemperature(), 58);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 58);
  EXPECT_EQ(sensor.lastGpuTemperature(), 58);
}

TEST(GpuSensor, ARealZeroShowsTheLastValueAndIsZeroBeforeAnyReading) {
  SimulatedGpuSource source(MachineWithGpus("0"));
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 0);

  source.SetTemperature(0, 58);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 58);
  source.SetTemperature(0, 0);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 58);
}

TEST(GpuSensor, OneFailingGpuOfTwoLeavesTheOther) {
  SimulatedGpuSource source(MachineWithGpus("55 61"));
  source.FailReadingsAfter(1, 1);
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 61);
  EXPECT_EQ(sensor.ReadGpuTemperature(), 55);
}

TEST(GpuSensor, ACountBeyondTheHandleTableIsCutToIt) {
  SimulatedGpuSource source(MachineWithGpus("55 61"));
  source.ReportGpuCount(1000);
  GpuSensor sensor(source);
  EXPECT_EQ(sensor.gpuCount(), static_cast<uint32_t>(kGpuMaxPhysicalGpus));
  source.ClearCalls();
  EXPECT_EQ(sensor.ReadGpuTemperature(), 61);
  EXPECT_EQ(source.Calls().size(), static_cast<size_t>(kGpuMaxPhysicalGpus));
}

TEST(GpuSensor, DisplayTextHasTwoBlanksAndTheSuffix) {
  EXPECT_EQ(GpuDisplayText(58, "\xC2\xB0" "C"), "GPU  58\xC2\xB0" "C");
  EXPECT_EQ(GpuDisplayText(0, ""), "GPU  0");
}

}  // namespace
}  // namespace korvath
