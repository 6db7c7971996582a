// The seam to thread priorities and to the worker threads that load the
// processors.
#pragma once

#include <functional>
#include <memory>

namespace korvath {

// Windows' relative thread priorities.
inline constexpr int kThreadPriorityIdle = -15;
inline constexpr int kThreadPriorityNormal = 0;
inline constexpr int kThreadPriorityHighest = 2;
inline constexpr int kThreadPriorityTimeCritical = 15;

// A worker thread that its starter waits for before it lets go of what the
// work uses.
class WorkerThread {
 public:
  virtual ~WorkerThread() = default;
  // Returns when the work has ended.
  virtual void Join() = 0;
};

class Threads {
 public:
  virtual ~Threads() = default;

  // Of the calling thread.
  virtual int CurrentPriority() = 0;
  virtual void SetCurrentPriority(int priority) = 0;

  // Runs work on a thread of its own at the given priority; the work itself
  // must come to an end. Null when no thread could be started.
  virtual std::unique_ptr<WorkerThread> Start(int priority, std::function<void()> work) = 0;
};

}  // namespace korvath
