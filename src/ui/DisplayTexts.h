// A window's display texts by control id: handlers change them, and the
// view copies them all into the controls at once.
#pragma once

#include <map>
#include <string>

#include "platform/ControlSurface.h"

namespace korvath {

class DisplayTexts {
 public:
  void Set(int id, std::string text) { texts_[id] = std::move(text); }
  // Empty for a control whose text was never set.
  const std::string& Get(int id) const {
    static const std::string kEmpty;
    auto found = texts_.find(id);
    return found == texts_.end() ? kEmpty : found->second;
  }
  bool Has(int id) const { return texts_.count(id) != 0; }

  void PushTo(ControlSurface& surface) const {
    for (const auto& [id, text] : texts_) {
      if (surface.HasControl(id)) surface.SetText(id, text);
    }
  }

  // In ascending control id order.
  const std::map<int, std::string>& All() const { return texts_; }

 private:
  std::map<int, std::string> texts_;
};

}  // namespace korvath
