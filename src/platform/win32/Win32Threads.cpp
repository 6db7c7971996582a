#include "platform/win32/Win32Threads.h"

#include <windows.h>

#include <memory>

namespace korvath {
namespace {

DWORD WINAPI RunWork(void* parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  // Nothing may escape a thread procedure; a failed worker just ends.
  try {
    (*work)();
  } catch (...) {
  }
  return 0;
}

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ThreadHandle = std::unique_ptr<void, HandleCloser>;

class Win32WorkerThread : public WorkerThread {
 public:
  explicit Win32WorkerThread(ThreadHandle thread) : thread_(std::move(thread)) {}
  ~Win32WorkerThread() override { Join(); }
  void Join() override {
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
  }

 private:
  ThreadHandle thread_;
};

}  // namespace

int Win32Threads::CurrentPriority() { return GetThreadPriority(GetCurrentThread()); }

void Win32Threads::SetCurrentPriority(int priority) { SetThreadPriority(GetCurrentThread(), priority); }

std::unique_ptr<WorkerThread> Win32Threads::Start(int priority, std::function<void()> work) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  // Suspended, so that it never runs a single step above its priority.
  HANDLE raw = CreateThread(nullptr, 0, RunWork, owned.get(), CREATE_SUSPENDED, nullptr);
  if (raw == nullptr) return nullptr;
  ThreadHandle thread(raw);
  owned.release();  // the thread procedure owns it now
  SetThreadPriority(thread.get(), priority);
  ResumeThread(thread.get());
  return std::make_unique<Win32WorkerThread>(std::move(thread));
}

}  // namespace korvath
