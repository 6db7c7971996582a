// The seam to thread priorities and to the worker threads that load the
// processors.
#pragma once

#include <functional>

namespace korvath {

// Windows' relative thread priorities.
inline constexpr int kThreadPriorityIdle = -15;
inline constexpr int kThreadPriorityNormal = 0;
inline constexpr int kThreadPriorityHighest = 2;
inline constexpr int kThreadPriorityTimeCritical = 15;

class Threads {
 public:
  virtual ~Threads() = default;

  // Of the calling thread.
  virtual int CurrentPriority() = 0;
  virtual void SetCurrentPriority(int priority) = 0;

  // Runs work on a thread of its own at the given priority; nobody waits for
  // it or stops it. False when no thread could be started.
  virtual bool StartDetached(int priority, std::function<void()> work) = 0;
};

}  // namespace korvath
