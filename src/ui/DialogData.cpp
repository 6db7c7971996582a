#include "ui/DialogData.h"

#include <utility>

#include "platform/Desktop.h"

namespace korvath {

DialogData::DialogData(ControlSurface& controls, RefusalPrompt prompt)
    : controls_(controls), prompt_(std::move(prompt)) {}

bool DialogData::UpdateData(bool save) {
  return korvath::UpdateData(controls_, prompt_, save, [this](DataExchange& exchange) { DoDataExchange(exchange); });
}

RefusalPrompt PromptThrough(Desktop& desktop) {
  return [&desktop](const std::string& message) {
    desktop.ShowMessageBox(message, "Korvath", MessageBoxIcon::kWarning, MessageBoxButtons::kOk);
  };
}

}  // namespace korvath
