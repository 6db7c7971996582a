// A TaskScheduler for tests and simulated runs: keeps the registered tasks'
// XML by path, fails on request and records every call, in order.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/TaskScheduler.h"

namespace korvath {

class SimulatedTaskScheduler : public TaskScheduler {
 public:
  SchedulerResult FindTask(const std::string& path, bool& found, std::string& command) override;
  SchedulerResult RegisterTask(const std::string& path, const std::string& xml) override;
  SchedulerResult DeleteTask(const std::string& path) override;
  std::string CurrentUser() override { return user; }

  // The registered tasks' definitions by path.
  std::map<std::string, std::string> tasks;
  std::string user = "KORVATH-PC\\ada";
  // What every call answers while set; kNone: the calls work.
  SchedulerResult failure;
  // "find PATH", "register PATH", "delete PATH", failed ones included.
  std::vector<std::string> calls;
};

// The text of the first <Command> element of a task's XML, unescaped.
std::string CommandOfTaskXml(const std::string& xml);

}  // namespace korvath
