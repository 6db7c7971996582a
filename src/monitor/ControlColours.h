// What a control-colour message paints with: the user's colours for the
// current mode, and the thermal-status fields in red while a core runs or
// ran hot.
#pragma once

#include <cstdint>
#include <optional>

#include "config/AppSettings.h"
#include "hw/ThermalSample.h"

namespace korvath {

inline constexpr int kFirstThermalStatusControl = 1109;  // 1109..1112 for core slots 0..3
inline constexpr uint32_t kHotNowColour = 0x0000FF;
inline constexpr uint32_t kHotLoggedColour = 0x000080;

enum class BackgroundBrush { kDialogDefault, kNormal, kMini };

struct ControlColours {
  BackgroundBrush brush = BackgroundBrush::kDialogDefault;
  std::optional<uint32_t> background;  // set on the device context when present
  std::optional<uint32_t> text;
};

// samples: the four core slots' latest thermal status.
ControlColours ChooseControlColours(const AppSettings& settings, bool miniMode, int controlId,
                                    const ThermalSample (&samples)[kCoreSlots]);

}  // namespace korvath
