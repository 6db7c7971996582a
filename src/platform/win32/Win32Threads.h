// The real thread priorities and detached worker threads.
#pragma once

#include "platform/Threads.h"

namespace korvath {

class Win32Threads : public Threads {
 public:
  int CurrentPriority() override;
  void SetCurrentPriority(int priority) override;
  std::unique_ptr<WorkerThread> Start(int priority, std::function<void()> work) override;
};

}  // namespace korvath
