// Threads whose work loads the simulated processor: each started work keeps
// one more logical processor of it fully busy until the work ends, as the
// movement test's load threads do a real one.
#pragma once

#include <functional>
#include <memory>

#include "platform/Threads.h"
#include "platform/sim/SimulatedProcessor.h"

namespace korvath {

class SimulatedWorkThreads : public Threads {
 public:
  SimulatedWorkThreads(Threads& threads, SimulatedProcessor& processor) : threads_(threads), processor_(processor) {}

  int CurrentPriority() override { return threads_.CurrentPriority(); }
  void SetCurrentPriority(int priority) override { threads_.SetCurrentPriority(priority); }
  std::unique_ptr<WorkerThread> Start(int priority, std::function<void()> work) override;

 private:
  Threads& threads_;
  SimulatedProcessor& processor_;
};

}  // namespace korvath
