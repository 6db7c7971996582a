#include "config/SettingsTrayIcons.h"

namespace korvath {
namespace {

// IconShow keeps bits up to 12 (the icons and what they show).
constexpr uint32_t kIconShowKnownBits = 0x1FFF;

}  // namespace

bool ToggleTrayIcon(SettingsTrayIcons& tray, AppSettings& settings, int icon) {
  uint32_t bit = 1u << icon;
  bool turningOn = (settings.iconShow & bit) == 0;
  if (!turningOn) {
    settings.iconShow &= kIconShowKnownBits & ~bit;
    tray.DeleteIcon(icon);
  } else {
    uint32_t previous = settings.iconShow;
    for (int i = 0; i < kAllTrayIcons; ++i) {
      if (settings.TrayIconUsable(i) && (previous & (1u << i))) tray.DeleteIcon(i);
    }
    uint32_t selection = previous | bit;
    for (int i = kAllTrayIcons - 1; i >= 0; --i) {
      if (settings.TrayIconUsable(i) && (selection & (1u << i))) tray.AddIcon(i);
    }
    settings.iconShow = selection;
  }
  tray.ForceRedraw();
  return turningOn;
}

}  // namespace korvath
