// Base of a dialog's portable model: the member values bound to the
// dialog's controls and the transfer of all of them at once.
#pragma once

#include "platform/ControlSurface.h"
#include "ui/DataExchange.h"

namespace korvath {

class Desktop;

class DialogData {
 public:
  DialogData(ControlSurface& controls, RefusalPrompt prompt);
  virtual ~DialogData() = default;

  // save true: controls into members. False when a value was refused; the
  // members exchanged before the refusing one are updated all the same.
  bool UpdateData(bool save);

  // Every binding, in the order of transfer.
  virtual void DoDataExchange(DataExchange& exchange) = 0;

  ControlSurface& Controls() { return controls_; }

 private:
  ControlSurface& controls_;
  RefusalPrompt prompt_;
};

// The refusal prompt as a warning message box with the program's name.
RefusalPrompt PromptThrough(Desktop& desktop);

}  // namespace korvath
