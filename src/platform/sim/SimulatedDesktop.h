// A Desktop for simulated runs and tests: answers every box with OK (Yes to
// a question), starts no real process, gives the pickers the answers it was
// told, and records what was asked of it, in order.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Desktop.h"

namespace korvath {

class SimulatedDesktop : public Desktop {
 public:
  MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                                  MessageBoxButtons buttons, OwnerWindow owner = kDesktopOwner) override;
  // Found when the path names an existing file or a web address, unless
  // shellFinds says otherwise.
  bool ShellOpen(const std::string& target) override;
  void PlayWaveFile(const std::string& path) override;
  ProcessId StartProcess(const std::string& path, uint32_t affinityMask) override;
  bool IsProcessRunning(ProcessId process) override;
  void TerminateProcess(ProcessId process) override;
  std::optional<std::string> PickOpenFile(const OpenFileRequest& request) override;
  std::optional<uint32_t> PickColour(uint32_t initialColour, OwnerWindow owner) override;

  // "box Error: Alarm file not found...", "open PATH", "sound KVWarning.wav", ...
  // since the last TakeEvents.
  const std::vector<std::string>& Events() const { return events_; }
  // Hands the events over and forgets them, so that a long run does not keep
  // a record of every alarm sound.
  std::vector<std::string> TakeEvents();
  // How many of those events start with prefix ("box ", "open ", ...).
  int Count(const std::string& prefix) const;

  // The user quits every started program.
  void EndAllProcesses() { running_.clear(); }

  struct ShownMessage {
    std::string text;
    std::string caption;
    MessageBoxIcon icon = MessageBoxIcon::kNone;
    MessageBoxButtons buttons = MessageBoxButtons::kOk;
    OwnerWindow owner = kDesktopOwner;
  };
  // The boxes since the last TakeEvents, with everything they were shown with.
  std::vector<ShownMessage> messages;
  // What ShellOpen answers; none: whether the target is there.
  std::optional<bool> shellFinds;
  // While false no process starts.
  bool startSucceeds = true;
  // Every start asked for (path, affinity mask) and every process ended, in order.
  std::vector<std::pair<std::string, uint32_t>> started;
  std::vector<uint32_t> terminated;
  int runningQueries = 0;

  // What the pickers answer: the file (none: cancelled) and the colours in
  // turn (none left: cancelled).
  std::optional<std::string> pickedFile;
  std::deque<uint32_t> pickedColours;
  // Runs while a box or picker is open, as the window's timer does in the
  // real box's message loop.
  std::function<void()> whileOpen;
  // The owner of every box and picker, in order.
  std::vector<OwnerWindow> owners;
  std::vector<OpenFileRequest> fileRequests;

 private:
  void Open(OwnerWindow owner);

  std::vector<std::string> events_;
  std::set<uint32_t> running_;
  uint32_t nextProcessId_ = 4242;
};

}  // namespace korvath
