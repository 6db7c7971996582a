#include "platform/sim/SimulatedDesktop.h"

#include <filesystem>

#include "platform/TextFormat.h"

namespace korvath {

MessageBoxResult SimulatedDesktop::ShowMessageBox(const std::string& text, const std::string& caption,
                                                  MessageBoxIcon, MessageBoxButtons buttons) {
  events_.push_back("box " + caption + ": " + text);
  return buttons == MessageBoxButtons::kYesNo ? MessageBoxResult::kYes : MessageBoxResult::kOk;
}

bool SimulatedDesktop::ShellOpen(const std::string& target) {
  events_.push_back("open " + target);
  if (target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0) return true;
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::u8path(target), error);
}

void SimulatedDesktop::PlayWaveFile(const std::string& path) { events_.push_back("sound " + path); }

ProcessId SimulatedDesktop::StartProcess(const std::string& path, uint32_t affinityMask) {
  ProcessId process{nextProcessId_++};
  running_.insert(process.value);
  events_.push_back(Format("start %s 0x%X", path.c_str(), affinityMask));
  return process;
}

bool SimulatedDesktop::IsProcessRunning(ProcessId process) { return running_.count(process.value) != 0; }

void SimulatedDesktop::TerminateProcess(ProcessId process) {
  running_.erase(process.value);
  events_.push_back(Format("terminate %u", process.value));
}

std::optional<std::string> SimulatedDesktop::PickOpenFile(const OpenFileRequest& request) {
  events_.push_back("pick-file " + request.title);
  return std::nullopt;
}

std::optional<uint32_t> SimulatedDesktop::PickColour(uint32_t) {
  events_.push_back("pick-colour");
  return std::nullopt;
}

std::vector<std::string> SimulatedDesktop::TakeEvents() {
  std::vector<std::string> recent = std::move(events_);
  events_.clear();
  return recent;
}

}  // namespace korvath
