// A dialog's controls as a table in memory, for running dialog models
// without windows. Like a real dialog it ignores ids it has no control for,
// but it keeps them, so a test can prove that a model touched only real controls.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ControlSurface.h"

namespace korvath {

class InMemoryControlSurface : public ControlSurface {
 public:
  struct Control {
    std::string text;
    int check = 0;
    bool enabled = true;
    bool visible = true;
    size_t textLimit = 0;  // 0: none
    // Every text the program gave it, in order, while texts are recorded.
    std::vector<std::string> history;
  };

  InMemoryControlSurface() = default;
  InMemoryControlSurface(std::initializer_list<int> ids);

  void Add(int id);
  // The user typing over the whole text: cut to the control's limit.
  void Type(int id, const std::string& text);
  const Control* Find(int id) const;
  // Ids asked for that have no control, in ascending order.
  const std::set<int>& UnknownIds() const { return unknownIds_; }
  // From now on every SetText is kept in the control's history.
  void RecordTexts() { recordTexts_ = true; }
  std::vector<std::string> HistoryOf(int id) const;

  bool HasControl(int id) const override;
  std::string GetText(int id) const override;
  void SetText(int id, const std::string& text) override;
  void LimitText(int id, size_t maxLength) override;
  int GetCheck(int id) const override;
  void SetCheck(int id, int state) override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  void Show(int id, bool visible) override;
  void SetFocus(int id) override;
  int FocusedControl() const override { return focused_; }

 private:
  Control* Lookup(int id);
  const Control* Lookup(int id) const;

  std::map<int, Control> controls_;
  mutable std::set<int> unknownIds_;
  int focused_ = 0;
  bool recordTexts_ = false;
};

}  // namespace korvath
