#include "ui/InMemoryControlSurface.h"

#include "platform/TextFormat.h"

namespace korvath {

InMemoryControlSurface::InMemoryControlSurface(std::initializer_list<int> ids) {
  for (int id : ids) Add(id);
}

void InMemoryControlSurface::Add(int id) { controls_.try_emplace(id); }

void InMemoryControlSurface::Type(int id, const std::string& text) {
  Control* control = Lookup(id);
  if (!control) return;
  std::wstring wide = Widen(text);
  if (control->textLimit > 0 && wide.size() > control->textLimit) {
    wide.resize(control->textLimit);
    control->text = Narrow(wide);
  } else {
    control->text = text;
  }
}

const InMemoryControlSurface::Control* InMemoryControlSurface::Find(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : &found->second;
}

InMemoryControlSurface::Control* InMemoryControlSurface::Lookup(int id) {
  auto found = controls_.find(id);
  if (found != controls_.end()) return &found->second;
  unknownIds_.insert(id);
  return nullptr;
}

const InMemoryControlSurface::Control* InMemoryControlSurface::Lookup(int id) const {
  const Control* control = Find(id);
  if (!control) unknownIds_.insert(id);
  return control;
}

bool InMemoryControlSurface::HasControl(int id) const { return Find(id) != nullptr; }

std::string InMemoryControlSurface::GetText(int id) const {
  const Control* control = Lookup(id);
  return control ? control->text : std::string();
}

void InMemoryControlSurface::SetText(int id, const std::string& text) {
  Control* control = Lookup(id);
  if (!control) return;
  control->text = text;
  if (recordTexts_) control->history.push_back(text);
}

std::vector<std::string> InMemoryControlSurface::HistoryOf(int id) const {
  const Control* control = Find(id);
  return control ? control->history : std::vector<std::string>();
}

void InMemoryControlSurface::LimitText(int id, size_t maxLength) {
  if (Control* control = Lookup(id)) control->textLimit = maxLength;
}

int InMemoryControlSurface::GetCheck(int id) const {
  const Control* control = Lookup(id);
  return control ? control->check : 0;
}

void InMemoryControlSurface::SetCheck(int id, int state) {
  if (Control* control = Lookup(id)) control->check = state;
}

void InMemoryControlSurface::Enable(int id, bool enabled) {
  if (Control* control = Lookup(id)) control->enabled = enabled;
}

bool InMemoryControlSurface::IsEnabled(int id) const {
  const Control* control = Lookup(id);
  return control && control->enabled;
}

void InMemoryControlSurface::Show(int id, bool visible) {
  if (Control* control = Lookup(id)) control->visible = visible;
}

void InMemoryControlSurface::SetFocus(int id) {
  if (Lookup(id)) focused_ = id;
}

}  // namespace korvath
