#include "ui/DataExchange.h"

#include <utility>

#include "platform/TextFormat.h"

namespace korvath {

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::optional<uint32_t> ParseUnsigned(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

DataExchange::DataExchange(ControlSurface& controls, bool save, RefusalPrompt prompt)
    : controls_(controls), save_(save), prompt_(std::move(prompt)) {}

void DataExchange::ExchangeText(int id, std::string& value, size_t maxLength) {
  if (refused_) return;
  if (!save_) {
    if (maxLength > 0) controls_.LimitText(id, maxLength);
    controls_.SetText(id, value);
    return;
  }
  std::string text = controls_.GetText(id);
  if (maxLength > 0 && Widen(text).size() > maxLength) {
    Refuse(id, Format(kRefusedLengthFormat, static_cast<unsigned>(maxLength)));
    return;
  }
  value = std::move(text);
}

void DataExchange::ExchangeUnsigned(int id, uint32_t& value) {
  if (refused_) return;
  if (!save_) {
    controls_.SetText(id, Format("%u", value));
    return;
  }
  std::optional<uint32_t> parsed = ParseUnsigned(controls_.GetText(id));
  if (!parsed) {
    Refuse(id, kRefusedUnsignedText);
    return;
  }
  value = *parsed;
}

void DataExchange::ExchangeCheck(int id, int& value) {
  if (refused_) return;
  if (save_) {
    value = controls_.GetCheck(id);
    return;
  }
  controls_.SetCheck(id, value == 0 || value == 2 ? value : 1);
}

void DataExchange::ExchangeRadio(std::initializer_list<int> group, int& index) {
  if (refused_) return;
  int position = 0;
  if (save_) {
    index = -1;
    for (int id : group) {
      if (controls_.GetCheck(id) != 0) {
        index = position;
        break;
      }
      ++position;
    }
    return;
  }
  for (int id : group) controls_.SetCheck(id, position++ == index ? 1 : 0);
}

// Opening the prompt takes the focus from the edit being typed in, and a
// dialog that validates when an edit loses the focus then transfers again,
// inside the prompt, and is refused the same text. One prompt is enough: the
// nested refusal stays silent and leaves the focus to the outer one.
bool DataExchange::promptOpen_ = false;

void DataExchange::Refuse(int id, const std::string& message) {
  refused_ = true;
  if (promptOpen_) return;
  promptOpen_ = true;
  try {
    if (prompt_) prompt_(message);
  } catch (...) {
    promptOpen_ = false;
    throw;
  }
  promptOpen_ = false;
  // After the prompt, so that closing the message box does not take the
  // focus somewhere else again.
  controls_.SetFocus(id);
}

bool UpdateData(ControlSurface& controls, const RefusalPrompt& prompt, bool save,
                const std::function<void(DataExchange&)>& exchange) {
  DataExchange transfer(controls, save, prompt);
  exchange(transfer);
  return !transfer.Refused();
}

}  // namespace korvath
