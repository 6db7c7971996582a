// TaskScheduler over the Task Scheduler 2.0 COM interfaces (ITaskService).
#pragma once

#include "platform/TaskScheduler.h"

namespace korvath {

class Win32TaskScheduler : public TaskScheduler {
 public:
  SchedulerResult FindTask(const std::string& path, bool& found, std::string& command) override;
  SchedulerResult RegisterTask(const std::string& path, const std::string& xml) override;
  SchedulerResult DeleteTask(const std::string& path) override;
  std::string CurrentUser() override;
};

// What an error of the scheduler asks of the user.
SchedulerResult ClassifySchedulerError(long hresult);

}  // namespace korvath
