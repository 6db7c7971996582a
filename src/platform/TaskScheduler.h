// The seam to the system's task scheduler, for the one task that starts
// Korvath at logon: read it, register it from its XML definition, delete it.
#pragma once

#include <cstdint>
#include <string>

namespace korvath {

// Why the scheduler refused; each asks the user for something different.
enum class SchedulerFailure {
  kNone,
  kAccessDenied,       // not run as administrator
  kServiceNotRunning,  // the Task Scheduler service is stopped or disabled
  kForbiddenByPolicy,  // a group policy forbids creating or deleting tasks
  kOther,
};

struct SchedulerResult {
  SchedulerFailure failure = SchedulerFailure::kNone;
  uint32_t code = 0;  // the system's error code, for kOther
  bool Succeeded() const { return failure == SchedulerFailure::kNone; }
};

class TaskScheduler {
 public:
  virtual ~TaskScheduler() = default;

  // The task at path ("\Folder\Name"): found is false when there is none,
  // which is no failure; command is the program its first action runs.
  virtual SchedulerResult FindTask(const std::string& path, bool& found, std::string& command) = 0;
  // Creates the task, or replaces the one of that name, from its XML
  // definition; its folder is made when missing.
  virtual SchedulerResult RegisterTask(const std::string& path, const std::string& xml) = 0;
  // Deleting a task that is not there succeeds.
  virtual SchedulerResult DeleteTask(const std::string& path) = 0;
  // The account the task runs under and whose logon starts it ("DOMAIN\user").
  virtual std::string CurrentUser() = 0;
};

}  // namespace korvath
