// A TaskScheduler over another that keeps the definition of the task it
// registered in a file, and reads the task's program back from there when
// the scheduler underneath kept none. Wine's scheduler stores a task's
// settings but drops its actions, trigger and principal, so korvath-sim.exe
// runs on this there: whether the task exists is still the real scheduler's
// answer.
#pragma once

#include <string>
#include <utility>

#include "platform/TaskScheduler.h"

namespace korvath {

class KeptDefinitionScheduler : public TaskScheduler {
 public:
  KeptDefinitionScheduler(TaskScheduler& scheduler, std::string keptFile)
      : scheduler_(scheduler), keptFile_(std::move(keptFile)) {}

  SchedulerResult FindTask(const std::string& path, bool& found, std::string& command) override;
  SchedulerResult RegisterTask(const std::string& path, const std::string& xml) override;
  SchedulerResult DeleteTask(const std::string& path) override;
  std::string CurrentUser() override { return scheduler_.CurrentUser(); }

 private:
  TaskScheduler& scheduler_;
  std::string keptFile_;  // the path's line, then the definition
};

}  // namespace korvath
