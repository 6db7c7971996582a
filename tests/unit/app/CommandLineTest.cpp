#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "app/SingleInstance.h"
#include "platform/sim/SimulatedTaskScheduler.h"

namespace korvath {
namespace {

constexpr char kExe[] = "C:\\Korvath\\korvath.exe";

struct CommandLineRig {
  SimulatedTaskScheduler scheduler;
  CommandLineOutput output;
  std::optional<int> Run(const std::vector<std::string>& args) {
    output = {};
    return RunCommandLine(args, "korvath.exe", scheduler, kExe, output);
  }
};

TEST(CommandLine, StartupSwitchAddsAndRemovesTheTaskSilently) {
  CommandLineRig rig;
  EXPECT_EQ(rig.Run({}), std::nullopt);
  EXPECT_EQ(rig.Run({"/startup", "on"}), 0);
  EXPECT_EQ(CommandOfTaskXml(rig.scheduler.tasks.at("\\Korvath\\Korvath")), kExe);
  EXPECT_EQ(rig.output.out + rig.output.error, "");
  EXPECT_EQ(rig.Run({"-STARTUP", "Off"}), 0);
  EXPECT_TRUE(rig.scheduler.tasks.empty());

  rig.scheduler.failure = {SchedulerFailure::kAccessDenied, 0x80070005};
  EXPECT_EQ(rig.Run({"/startup", "on"}), kSchedulerRefusedExitCode);
  EXPECT_EQ(rig.output.error,
            "Korvath: /startup on failed: access was denied. Run Korvath as administrator and try again.\n");
}

TEST(CommandLine, WrongOrHelpSwitchesTouchNoTask) {
  CommandLineRig rig;
  EXPECT_EQ(rig.Run({"/?"}), 0);
  EXPECT_EQ(rig.output.out.rfind("Usage: korvath.exe [/startup on|off | /?]\n", 0), 0u);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"/startup"}, {"/startup", "maybe"}, {"/startup", "on", "now"}, {"startup", "on"}, {"/minimized"}}) {
    EXPECT_EQ(rig.Run(args), kBadCommandLineExitCode) << args[0];
  }
  EXPECT_EQ(rig.output.error, "korvath.exe: unknown command line \"/minimized\"; korvath.exe /? lists the switches\n");
  EXPECT_TRUE(rig.scheduler.calls.empty());
}

TEST(SingleInstance, SecondStartFindsTheFirstInItsSessionOrAnother) {
  EXPECT_EQ(DecideInstance(false, false), InstanceVerdict::kFirst);
  EXPECT_EQ(DecideInstance(true, false), InstanceVerdict::kRunningInThisSession);
  EXPECT_EQ(DecideInstance(true, true), InstanceVerdict::kRunningInThisSession);
  EXPECT_EQ(DecideInstance(false, true), InstanceVerdict::kRunningInOtherSession);
  // korvath-sim.exe beside korvath.exe is no second instance of it.
  EXPECT_EQ(SessionMutexName("Korvath"), "Local\\Korvath.Instance");
  EXPECT_EQ(MachineMutexName("Korvath-sim"), "Global\\Korvath-sim.MachineInstance");
  EXPECT_EQ(RestoreMessageName("Korvath-sim"), "Korvath-sim.Restore");
}

}  // namespace
}  // namespace korvath
