// Processes the desktop starts for the user (the stress-test program):
// started without a command line on a given affinity, found in the system's
// process list, and terminated.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/Desktop.h"
#include "platform/win32/Win32Holders.h"

namespace korvath {

class Win32Processes {
 public:
  Win32Processes() = default;
  Win32Processes(const Win32Processes&) = delete;
  Win32Processes& operator=(const Win32Processes&) = delete;

  // A process of the executable at path (its own path as the application
  // name, no command line, nothing inherited); nothing when it cannot start.
  ProcessId Start(const std::string& path, uint32_t affinityMask);
  // True while the process's identifier is in the system's process list.
  bool IsRunning(ProcessId process) const;
  // Ends a process this object started, with exit code 0.
  void Terminate(ProcessId process);

 private:
  // Held open for as long as we may ask about the process, so that its
  // identifier cannot pass to another process meanwhile.
  std::map<uint32_t, HandleHolder> processes_;
};

}  // namespace korvath
