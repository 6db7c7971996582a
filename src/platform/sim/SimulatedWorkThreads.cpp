#include "platform/sim/SimulatedWorkThreads.h"

#include <utility>

namespace korvath {

bool SimulatedWorkThreads::StartDetached(int priority, std::function<void()> work) {
  // Counted before the thread exists, so that no read in between misses it;
  // taken back when no thread could be started.
  processor_.BeginWork();
  bool started = threads_.StartDetached(priority, [this, work = std::move(work)] {
    work();
    processor_.EndWork();
  });
  if (!started) processor_.EndWork();
  return started;
}

}  // namespace korvath
