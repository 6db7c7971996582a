// Recording doubles of the desktop, control and thread seams for the tools'
// tests.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ControlSurface.h"
#include "platform/Desktop.h"
#include "platform/Threads.h"
#include "platform/sim/SimulatedDesktop.h"

namespace korvath::testing {

class FakeControls : public ControlSurface {
 public:
  bool HasControl(int) const override { return true; }
  std::string GetText(int id) const override {
    auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
  }
  void SetText(int id, const std::string& text) override {
    texts[id] = text;
    history.push_back({id, text});
  }
  int GetCheck(int id) const override { return checks.count(id) ? checks.at(id) : 0; }
  void SetCheck(int id, int state) override { checks[id] = state; }
  void Enable(int id, bool enabled) override {
    if (enabled) disabled.erase(id);
    else disabled.insert(id);
  }
  bool IsEnabled(int id) const override { return disabled.count(id) == 0; }
  void Show(int, bool) override {}
  void SetFocus(int id) override { focused = id; }
  int FocusedControl() const override { return focused; }

  // Every text a control was given, in order.
  std::vector<std::string> HistoryOf(int id) const {
    std::vector<std::string> texts;
    for (const auto& [control, text] : history) {
      if (control == id) texts.push_back(text);
    }
    return texts;
  }

  std::map<int, std::string> texts;
  std::vector<std::pair<int, std::string>> history;
  std::map<int, int> checks;
  std::set<int> disabled;
  int focused = 0;
};

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageBoxIcon icon;
  MessageBoxButtons buttons;
  OwnerWindow owner;
};

// Processes are numbered from 4242 and can fail to start; boxes and
// pickers are the simulated desktop's.
class FakeDesktop : public SimulatedDesktop {
 public:
  FakeDesktop() { pickedFile = "C:\\tools\\prime95.exe"; }

  MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                                  MessageBoxButtons buttons, OwnerWindow owner = kDesktopOwner) override {
    messages.push_back({text, caption, icon, buttons, owner});
    return SimulatedDesktop::ShowMessageBox(text, caption, icon, buttons, owner);
  }
  bool ShellOpen(const std::string& target) override {
    opened.push_back(target);
    return true;
  }

  ProcessId StartProcess(const std::string& path, uint32_t affinityMask) override {
    started.push_back({path, affinityMask});
    if (!startSucceeds) return {};
    ProcessId id{nextProcessId++};
    running.insert(id.value);
    return id;
  }
  bool IsProcessRunning(ProcessId process) override {
    ++runningQueries;
    return process && running.count(process.value) != 0;
  }
  void TerminateProcess(ProcessId process) override {
    terminated.push_back(process.value);
    running.erase(process.value);
  }

  // The user quits the stress program.
  void EndAllProcesses() { running.clear(); }

  std::vector<ShownMessage> messages;
  std::vector<std::string> opened;
  std::vector<std::pair<std::string, uint32_t>> started;
  bool startSucceeds = true;
  uint32_t nextProcessId = 4242;
  std::set<uint32_t> running;
  std::vector<uint32_t> terminated;
  int runningQueries = 0;
};

// Keeps the started work instead of running it, so a test decides whether
// and when it runs.
class FakeThreads : public Threads {
 public:
  int CurrentPriority() override { return priority; }
  void SetCurrentPriority(int value) override {
    priority = value;
    priorityHistory.push_back(value);
  }
  std::unique_ptr<WorkerThread> Start(int workerPriority, std::function<void()> work) override {
    workerPriorities.push_back(workerPriority);
    workers.push_back(std::move(work));
    return std::make_unique<NoThread>(joins);
  }

  struct NoThread : WorkerThread {
    explicit NoThread(int& joins) : joins(joins) {}
    void Join() override { ++joins; }
    int& joins;
  };
  int joins = 0;

  int priority = 0;
  std::vector<int> priorityHistory;
  std::vector<int> workerPriorities;
  std::vector<std::function<void()>> workers;
};

}  // namespace korvath::testing
