// A thread double for the tools' tests.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/Threads.h"

namespace korvath::testing {

// Keeps the started work instead of running it, so a test decides whether
// and when it runs.
class FakeThreads : public Threads {
 public:
  int CurrentPriority() override { return priority; }
  void SetCurrentPriority(int value) override {
    priority = value;
    priorityHistory.push_back(value);
  }
  std::unique_ptr<WorkerThread> Start(int workerPriority, std::function<void()> work) override {
    workerPriorities.push_back(workerPriority);
    workers.push_back(std::move(work));
    return std::make_unique<NoThread>(joins);
  }

  struct NoThread : WorkerThread {
    explicit NoThread(int& joins) : joins(joins) {}
    void Join() override { ++joins; }
    int& joins;
  };
  int joins = 0;

  int priority = 0;
  std::vector<int> priorityHistory;
  std::vector<int> workerPriorities;
  std::vector<std::function<void()>> workers;
};

}  // namespace korvath::testing
