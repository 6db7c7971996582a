// Recording doubles of the control and thread seams for the tools' tests.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/ControlSurface.h"
#include "platform/Threads.h"

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
