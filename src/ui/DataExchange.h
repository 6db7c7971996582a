// Moving a dialog's member values into its controls or back, one transfer
// at a time, with the refusal of text that a member cannot take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ControlSurface.h"

namespace korvath {

// Shows the user why a value was refused; the transfer waits for it.
using RefusalPrompt = std::function<void(const std::string& message)>;

inline constexpr const char* kRefusedUnsignedText = "Please enter an unsigned integer.";
// Takes the maximum number of characters.
inline constexpr const char* kRefusedLengthFormat = "Please enter no more than %u characters.";

// Reads text the way the numeric edits accept it: blanks before and after,
// an optional '+' and decimal digits up to 4294967295.
std::optional<uint32_t> ParseUnsigned(std::string_view text);

// One transfer in one direction. Once a value is refused the prompt has
// been shown, the focus is back on the refusing control, and every later
// exchange of the same transfer leaves its member alone.
class DataExchange {
 public:
  DataExchange(ControlSurface& controls, bool save, RefusalPrompt prompt);

  // True when the transfer goes from the controls into the members.
  bool Saving() const { return save_; }
  bool Refused() const { return refused_; }

  // maxLength 0 means no limit; the limit counts characters, not bytes.
  void ExchangeText(int id, std::string& value, size_t maxLength = 0);
  void ExchangeUnsigned(int id, uint32_t& value);
  // 0 unchecked, 1 checked, 2 indeterminate; other non-zero flags show as checked.
  void ExchangeCheck(int id, int& value);
  // The radio buttons of one group in their order; index -1 when none is checked.
  void ExchangeRadio(std::initializer_list<int> group, int& index);

 private:
  void Refuse(int id, const std::string& message);

  ControlSurface& controls_;
  bool save_;
  RefusalPrompt prompt_;
  bool refused_ = false;
  // One flag for the user-interface thread, not one per dialog: the prompt is
  // modal, so the only exchange that can refuse while it is up is the one it
  // sets off itself (the edit losing the focus), and that may come through
  // another object over the same window (the Settings dialog's model). All
  // dialogs run on that one thread.
  static bool promptOpen_;
};

// Runs exchange over the controls in one direction; false when a value was refused.
bool UpdateData(ControlSurface& controls, const RefusalPrompt& prompt, bool save,
                const std::function<void(DataExchange&)>& exchange);

}  // namespace korvath
