#include "monitor/ControlColours.h"

namespace korvath {

ControlColours ChooseControlColours(const AppSettings& settings, bool miniMode, int controlId,
                                    const ThermalSample (&samples)[kCoreSlots]) {
  ControlColours colours;
  if (miniMode && settings.customGuiMini) {
    colours = {BackgroundBrush::kMini, settings.guiMiniColor, settings.guiMiniText};
  } else if (!miniMode && settings.customGui) {
    colours = {BackgroundBrush::kNormal, settings.guiColor, settings.guiText};
  }
  int slot = controlId - kFirstThermalStatusControl;
  if (slot >= 0 && slot < kCoreSlots && samples[slot].hotLogged) {
    colours.text = samples[slot].hotNow ? kHotNowColour : kHotLoggedColour;
  }
  return colours;
}

}  // namespace korvath
