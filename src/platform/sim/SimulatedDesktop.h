// A Desktop for simulated runs: answers every box with OK, starts no real
// process and records what was asked of it, in order.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace korvath {

class SimulatedDesktop : public Desktop {
 public:
  MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                                  MessageBoxButtons buttons) override;
  // Found when the path names an existing file or a web address.
  bool ShellOpen(const std::string& target) override;
  void PlayWaveFile(const std::string& path) override;
  ProcessId StartProcess(const std::string& path, uint32_t affinityMask) override;
  bool IsProcessRunning(ProcessId process) override;
  void TerminateProcess(ProcessId process) override;
  std::optional<std::string> PickOpenFile(const OpenFileRequest& request) override;
  std::optional<uint32_t> PickColour(uint32_t initialColour) override;

  // "box Error: Alarm file not found...", "open PATH", "sound KVWarning.wav", ...
  const std::vector<std::string>& Events() const { return events_; }
  // Events since the last call.
  std::vector<std::string> TakeEvents();

 private:
  std::vector<std::string> events_;
  size_t taken_ = 0;
  std::set<uint32_t> running_;
  uint32_t nextProcessId_ = 1000;
};

}  // namespace korvath
