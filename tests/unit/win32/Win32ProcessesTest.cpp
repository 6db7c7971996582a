#include "platform/win32/Win32Processes.h"

#include <gtest/gtest.h>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

// The build's Unix path as Wine shows it on drive Z.
std::string StandInPath() {
  std::string path = std::string("Z:") + KORVATH_STRESS_STANDIN;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Termination is asynchronous; the list catches up within moments.
bool LeavesTheProcessList(const Win32Processes& processes, ProcessId id) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!processes.IsRunning(id)) return true;
    Sleep(20);
  }
  return false;
}

TEST(Win32Processes, StartedStandInRunsUntilTerminated) {
  Win32Processes processes;
  ProcessId id = processes.Start(StandInPath(), 0x1);
  ASSERT_TRUE(id);
  EXPECT_TRUE(processes.IsRunning(id));

  HANDLE probe = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id.value);
  ASSERT_NE(probe, nullptr);
  DWORD_PTR processMask = 0;
  DWORD_PTR systemMask = 0;
  EXPECT_TRUE(GetProcessAffinityMask(probe, &processMask, &systemMask));
  EXPECT_EQ(processMask, 0x1u);

  processes.Terminate(id);
  EXPECT_EQ(WaitForSingleObject(probe, 5000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(probe, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(probe);
  EXPECT_TRUE(LeavesTheProcessList(processes, id));
}

// The stress program closed by the user or killed by another program: the
// handle we keep must not make it look alive, and a later Terminate is
// harmless.
TEST(Win32Processes, ProgramKilledFromOutsideIsSeenGone) {
  Win32Processes processes;
  ProcessId id = processes.Start(StandInPath(), 0x1);
  ASSERT_TRUE(id);
  HANDLE outsider = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id.value);
  ASSERT_NE(outsider, nullptr);
  ASSERT_TRUE(::TerminateProcess(outsider, 9));
  EXPECT_EQ(WaitForSingleObject(outsider, 5000), WAIT_OBJECT_0);
  CloseHandle(outsider);
  EXPECT_TRUE(LeavesTheProcessList(processes, id));
  processes.Terminate(id);
  EXPECT_FALSE(processes.IsRunning(id));
}

TEST(Win32Processes, MissingProgramAndForeignIdentifiers) {
  Win32Processes processes;
  EXPECT_FALSE(processes.Start("C:\\no such folder\\prime95.exe", 0x1));
  EXPECT_FALSE(processes.IsRunning(ProcessId{}));
  // Our own process is listed, but it is not ours to terminate.
  ProcessId self{GetCurrentProcessId()};
  EXPECT_TRUE(processes.IsRunning(self));
  processes.Terminate(self);
  EXPECT_TRUE(processes.IsRunning(self));
}

}  // namespace
}  // namespace korvath
