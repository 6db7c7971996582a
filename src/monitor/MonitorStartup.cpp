// The start-up of the main window, in its fixed order.
#include "monitor/Monitor.h"

#include <algorithm>

#include "hw/CoreRatios.h"
#include "hw/CoreSlots.h"
#include "hw/ExtraCores.h"
#include "hw/NominalMultiplier.h"
#include "hw/ProcessorSupport.h"
#include "hw/TjMax.h"
#include "hw/TscClockRunner.h"
#include "resources/resource.h"

namespace korvath {

std::optional<FatalError> Monitor::StartUp() {
  if (std::optional<FatalError> fatal = access_.Open()) return fatal;
  IdentifySignature(access_, identity_);
  DetermineMaxMultiplier(access_);
  TakeCounterBaselines(access_);
  texts_.Set(IDC_SIGNATURE, identity_.signatureText);
  if (std::optional<FatalError> fatal = CheckProcessorSupport(seams_.processor, identity_.signature)) {
    return fatal;
  }
  BuildCoreSlots(access_);

  if (seams_.startClockThread) {
    clockRunner_ = std::make_unique<TscClockRunner>(clockThread_, seams_.onClockThreadStart);
    clockRunner_->Start();
  } else {
    clockThread_.Start();
  }

  IdentifyModelAndTjMax(access_, identity_);
  packages_.Identify(access_, identity_.tjMax[0]);
  temperatures_.SetExtraCores(FindExtraCores(access_, ReportsTjMax(identity_.signature), identity_.tjMax[0]));
  logTemperatures_.resize(static_cast<size_t>(temperatures_.displayCoreCount()));
  metricsCores_.resize(static_cast<size_t>(temperatures_.displayCoreCount()));
  tipCores_.resize(static_cast<size_t>(temperatures_.displayCoreCount()));
  texts_.Set(IDC_MODEL_NUMBER, identity_.ModelText());

  settings_ = ReadSettings(seams_.settingsFile, CollectStartupFacts(), clockModulation_);
  ApplyTemperatureSettings();
  ApplyWindowSettings();
  for (int slot = 0; slot < kCoreSlots; ++slot) cpu_.coreSlotMask[slot] = settings_.coreSlotMask[slot];
  gpuReading_ = gpu_.IsReadingOn(!settings_.gpuAvailable);

  std::string metricsPath = ResolveMetricsPath(settings_.metricsFile, seams_.executableFolder);
  if (!metricsPath.empty() && seams_.metricsFiles != nullptr) {
    metrics_ = std::make_unique<MetricsFile>(*seams_.metricsFiles, std::move(metricsPath),
                                             MetricsHead(identity_.ModelText(), identity_.signatureText,
                                                         kVersionText));
  }

  CreateHistory();

  ReadIconShow(seams_.settingsFile, settings_);
  if (!gpuReading_) settings_.iconShow &= ~kIconShowGpu;

  // Start minimised alone hides the window: only the tray icons show.
  mayShow_ = !(settings_.startMinimized && !settings_.miniMode && !settings_.taskBar);
  view_.SetMayShow(mayShow_);
  timerId_ = view_.SetTimer(kMonitorTimerId, kFirstTickMs);
  return std::nullopt;
}

StartupFacts Monitor::CollectStartupFacts() const {
  StartupFacts facts;
  facts.gpuAvailable = gpu_.status() == 0;
  facts.coreCount = cpu_.coreCount;
  facts.displayCoreCount = temperatures_.displayCoreCount();
  facts.signature = identity_.signature;
  std::copy(std::begin(cpu_.coreOfProcessor), std::end(cpu_.coreOfProcessor), facts.coreOfProcessor);
  for (int slot = 0; slot < kCoreSlots; ++slot) {
    facts.detectedTjMax[slot] = identity_.tjMax[slot];
    facts.coreSlotMask[slot] = cpu_.coreSlotMask[slot];
  }
  return facts;
}

// "WindowXY" is the screen position of the window's top-left corner, used
// only where the window can be taken hold of there: a monitor since
// disconnected must not open the window out of reach.
void Monitor::ApplyWindowSettings() {
  if (settings_.windowXY != 0) {
    ScreenPoint saved = UnpackWindowPosition(settings_.windowXY);
    WindowRect rect = view_.GetWindowRect();
    if (ReachableAt(saved)) {
      view_.MoveWindowBy(saved.x - rect.left, saved.y - rect.top);
    } else {
      keepSavedPosition_ = true;
      openedAt_ = {rect.left, rect.top};
    }
  }
  if (settings_.anchorXY != 0) {
    anchorPoint_ = UnpackPosition(settings_.anchorXY);
    anchorCopy_ = anchorPoint_;
    anchorSet_ = true;
  }
}

}  // namespace korvath
