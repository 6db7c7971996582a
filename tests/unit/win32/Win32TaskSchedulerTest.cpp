#include "platform/win32/Win32TaskScheduler.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "config/StartWithWindows.h"

namespace korvath {
namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The real scheduler, in a folder of the test's own. Wine's scheduler keeps
// a task's settings but drops its trigger, principal and action, so there
// the program reads back empty; the whole definition is held to its XML by
// the portable tests.
TEST(Win32TaskScheduler, RegistersFindsAndDeletesATask) {
  Win32TaskScheduler scheduler;
  const std::string path = "\\KorvathTest\\Unit";
  const std::string exe = "C:\\Korvath Test\\korvath.exe";
  std::string user = scheduler.CurrentUser();
  EXPECT_NE(user.find('\\'), std::string::npos) << user;

  SchedulerResult registered = scheduler.RegisterTask(path, StartupTaskXml(StartupTaskFor(exe, user)));
  ASSERT_TRUE(registered.Succeeded()) << std::hex << registered.code;
  bool found = false;
  std::string command;
  EXPECT_TRUE(scheduler.FindTask(path, found, command).Succeeded());
  EXPECT_TRUE(found);
  EXPECT_EQ(command, UnderWine() ? std::string() : exe);

  EXPECT_TRUE(scheduler.DeleteTask(path).Succeeded());
  EXPECT_TRUE(scheduler.FindTask(path, found, command).Succeeded());
  EXPECT_FALSE(found);
  EXPECT_EQ(command, "");
  // Nothing left to delete is no failure.
  EXPECT_TRUE(scheduler.DeleteTask(path).Succeeded());
}

TEST(Win32TaskScheduler, ErrorsSayWhatTheUserMustDo) {
  EXPECT_EQ(ClassifySchedulerError(S_OK).failure, SchedulerFailure::kNone);
  EXPECT_EQ(ClassifySchedulerError(E_ACCESSDENIED).failure, SchedulerFailure::kAccessDenied);
  EXPECT_EQ(ClassifySchedulerError(SCHED_E_SERVICE_NOT_RUNNING).failure, SchedulerFailure::kServiceNotRunning);
  EXPECT_EQ(ClassifySchedulerError(HRESULT_FROM_WIN32(ERROR_SERVICE_DISABLED)).failure,
            SchedulerFailure::kServiceNotRunning);
  EXPECT_EQ(ClassifySchedulerError(HRESULT_FROM_WIN32(ERROR_ACCESS_DISABLED_BY_POLICY)).failure,
            SchedulerFailure::kForbiddenByPolicy);
  SchedulerResult other = ClassifySchedulerError(static_cast<long>(0x8004130FL));
  EXPECT_EQ(other.failure, SchedulerFailure::kOther);
  EXPECT_EQ(other.code, 0x8004130Fu);
}

}  // namespace
}  // namespace korvath
