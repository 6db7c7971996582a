#include "config/StartWithWindows.h"

#include <gtest/gtest.h>

#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedTaskScheduler.h"

namespace korvath {
namespace {

constexpr char kExe[] = "C:\\Tools & Co\\Korvath\\korvath.exe";

TEST(StartupTask, DefinitionRunsThisExecutableAtTheUsersLogonWithHighestRights) {
  StartupTaskDefinition definition = StartupTaskFor(kExe, "PC\\ada");
  EXPECT_EQ(definition.workingDirectory, "C:\\Tools & Co\\Korvath");
  EXPECT_EQ(StartupTaskFor("C:\\korvath.exe", "PC\\ada").workingDirectory, "C:\\");
  EXPECT_EQ(StartupTaskXml(definition),
            "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
            "  <RegistrationInfo>\n"
            "    <Description>Starts Korvath at logon.</Description>\n"
            "  </RegistrationInfo>\n"
            "  <Triggers>\n"
            "    <LogonTrigger>\n"
            "      <Enabled>true</Enabled>\n"
            "      <UserId>PC\\ada</UserId>\n"
            "      <Delay>PT15S</Delay>\n"
            "    </LogonTrigger>\n"
            "  </Triggers>\n"
            "  <Principals>\n"
            "    <Principal id=\"Author\">\n"
            "      <UserId>PC\\ada</UserId>\n"
            "      <LogonType>InteractiveToken</LogonType>\n"
            "      <RunLevel>HighestAvailable</RunLevel>\n"
            "    </Principal>\n"
            "  </Principals>\n"
            "  <Settings>\n"
            "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
            "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
            "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
            "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n"
            "    <Priority>4</Priority>\n"
            "    <Enabled>true</Enabled>\n"
            "  </Settings>\n"
            "  <Actions Context=\"Author\">\n"
            "    <Exec>\n"
            "      <Command>C:\\Tools &amp; Co\\Korvath\\korvath.exe</Command>\n"
            "      <WorkingDirectory>C:\\Tools &amp; Co\\Korvath</WorkingDirectory>\n"
            "    </Exec>\n"
            "  </Actions>\n"
            "</Task>\n");

  EXPECT_TRUE(SameExecutable("\"c:\\tools & co\\KORVATH\\Korvath.exe\"", kExe));
  EXPECT_FALSE(SameExecutable("D:\\Korvath\\korvath.exe", kExe));
}

struct StartupRig {
  SimulatedTaskScheduler scheduler;
  SimulatedDesktop desktop;
  StartWithWindows startup{scheduler, desktop, kExe};
};

TEST(StartWithWindows, ShowsTheTaskAndReplacesOneThatStartsAnotherCopy) {
  StartupRig rig;
  EXPECT_FALSE(rig.startup.IsOn());
  EXPECT_TRUE(rig.startup.Change(true));
  EXPECT_EQ(CommandOfTaskXml(rig.scheduler.tasks.at("\\Korvath\\Korvath")), kExe);
  EXPECT_TRUE(rig.startup.IsOn());

  // Moved or reinstalled elsewhere: the old task is not this copy's.
  rig.scheduler.tasks["\\Korvath\\Korvath"] = StartupTaskXml(StartupTaskFor("D:\\Old\\korvath.exe", "PC\\ada"));
  EXPECT_FALSE(rig.startup.IsOn());
  EXPECT_TRUE(rig.startup.Change(true));
  EXPECT_EQ(CommandOfTaskXml(rig.scheduler.tasks.at("\\Korvath\\Korvath")), kExe);

  EXPECT_TRUE(rig.startup.Change(false));
  EXPECT_TRUE(rig.scheduler.tasks.empty());
  EXPECT_FALSE(rig.startup.IsOn());
  EXPECT_TRUE(rig.desktop.messages.empty());
}

TEST(StartWithWindows, RefusalSaysWhatFailedAndLeavesTheTaskAsItWas) {
  StartupRig rig;
  rig.startup.Change(true);
  rig.scheduler.calls.clear();
  rig.scheduler.failure = {SchedulerFailure::kAccessDenied, 0x80070005};
  EXPECT_FALSE(rig.startup.Change(false, 0x42));
  EXPECT_EQ(rig.scheduler.tasks.size(), 1u);
  EXPECT_EQ(rig.scheduler.calls, (std::vector<std::string>{"delete \\Korvath\\Korvath"}));
  ASSERT_EQ(rig.desktop.messages.size(), 1u);
  const SimulatedDesktop::ShownMessage& box = rig.desktop.messages[0];
  EXPECT_EQ(box.caption, "Start with Windows");
  EXPECT_EQ(box.text,
            "Korvath could not remove itself from the programs that start with Windows: access was denied.\n\n"
            "Run Korvath as administrator and try again.");
  EXPECT_EQ(box.icon, MessageBoxIcon::kError);
  EXPECT_EQ(box.owner, 0x42u);

  EXPECT_EQ(StartupFailureText({SchedulerFailure::kServiceNotRunning, 0x80041315}, true),
            "Korvath could not add itself to the programs that start with Windows: the Task Scheduler service is "
            "not running.\n\nStart the Task Scheduler service (services.msc) and try again.");
  EXPECT_EQ(StartupFailureLine({SchedulerFailure::kForbiddenByPolicy, 0x800704EC}, true),
            "Korvath: /startup on failed: a policy of this computer forbids scheduled tasks. Ask the administrator "
            "of this computer to allow it.");
  EXPECT_EQ(StartupFailureLine({SchedulerFailure::kOther, 0x8004130F}, false),
            "Korvath: /startup off failed: the Task Scheduler refused (error 0x8004130F). Try again, or look at "
            "the task in the Task Scheduler.");
}

}  // namespace
}  // namespace korvath
