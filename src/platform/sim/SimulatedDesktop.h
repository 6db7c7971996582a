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
  // since the last TakeEvents.
  const std::vector<std::string>& Events() const { return events_; }
  // Hands the events over and forgets them, so that a long run does not keep
  // a record of every alarm sound.
  std::vector<std::string> TakeEvents();

 private:
  std::vector<std::string> events_;
  std::set<uint32_t> running_;
  uint32_t nextProcessId_ = 1000;
};

}  // namespace korvath
