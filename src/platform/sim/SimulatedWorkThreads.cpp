#include "platform/sim/SimulatedWorkThreads.h"

#include <utility>

namespace korvath {

std::unique_ptr<WorkerThread> SimulatedWorkThreads::Start(int priority, std::function<void()> work) {
  // Counted before the thread exists, so that no read in between misses it;
  // taken back when no thread could be started.
  processor_.BeginWork();
  std::unique_ptr<WorkerThread> thread = threads_.Start(priority, [this, work = std::move(work)] {
    work();
    processor_.EndWork();
  });
  if (thread == nullptr) processor_.EndWork();
  return thread;
}

}  // namespace korvath
