#include "platform/sim/SimulatedDesktop.h"

#include <filesystem>

#include "platform/TextFormat.h"

namespace korvath {

void SimulatedDesktop::Open(OwnerWindow owner) {
  owners.push_back(owner);
  if (whileOpen) whileOpen();
}

MessageBoxResult SimulatedDesktop::ShowMessageBox(const std::string& text, const std::string& caption,
                                                  MessageBoxIcon icon, MessageBoxButtons buttons, OwnerWindow owner) {
  events_.push_back("box " + caption + ": " + text);
  messages.push_back({text, caption, icon, buttons, owner});
  Open(owner);
  return buttons == MessageBoxButtons::kYesNo ? MessageBoxResult::kYes : MessageBoxResult::kOk;
}

bool SimulatedDesktop::ShellOpen(const std::string& target) {
  events_.push_back("open " + target);
  if (shellFinds) return *shellFinds;
  if (target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0) return true;
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::u8path(target), error);
}

void SimulatedDesktop::PlayWaveFile(const std::string& path) { events_.push_back("sound " + path); }

ProcessId SimulatedDesktop::StartProcess(const std::string& path, uint32_t affinityMask) {
  started.emplace_back(path, affinityMask);
  if (!startSucceeds) return {};
  ProcessId process{nextProcessId_++};
  running_.insert(process.value);
  events_.push_back(Format("start %s 0x%X", path.c_str(), affinityMask));
  return process;
}

bool SimulatedDesktop::IsProcessRunning(ProcessId process) {
  ++runningQueries;
  return running_.count(process.value) != 0;
}

void SimulatedDesktop::TerminateProcess(ProcessId process) {
  running_.erase(process.value);
  terminated.push_back(process.value);
  events_.push_back(Format("terminate %u", process.value));
}

std::optional<std::string> SimulatedDesktop::PickOpenFile(const OpenFileRequest& request) {
  events_.push_back("pick-file " + request.title);
  fileRequests.push_back(request);
  Open(request.owner);
  return pickedFile;
}

std::optional<uint32_t> SimulatedDesktop::PickColour(uint32_t, OwnerWindow owner) {
  events_.push_back("pick-colour");
  Open(owner);
  if (pickedColours.empty()) return std::nullopt;
  uint32_t colour = pickedColours.front();
  pickedColours.pop_front();
  return colour;
}

std::vector<std::string> SimulatedDesktop::TakeEvents() {
  std::vector<std::string> recent = std::move(events_);
  events_.clear();
  messages.clear();
  return recent;
}

int SimulatedDesktop::Count(const std::string& prefix) const {
  int n = 0;
  for (const std::string& event : events_) n += event.rfind(prefix, 0) == 0;
  return n;
}

}  // namespace korvath
