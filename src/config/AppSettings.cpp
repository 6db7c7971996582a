#include "config/AppSettings.h"

namespace korvath {

int ApplySettingRule(const SettingKey& setting, unsigned value) {
  switch (setting.rule) {
    case SettingRule::kAny:
      return static_cast<int>(value);
    case SettingRule::kFlag:
      return value != 0 ? 1 : 0;
    case SettingRule::kOnlyOneIsOn:
      return value == 1 ? 1 : 0;
    case SettingRule::kTjMaxOverride:
      return (value >= 70 && value <= 120) ? static_cast<int>(value) : 0;
    case SettingRule::kDividesHour:
      return (value >= 1 && value <= 3600 && 3600 % value == 0) ? static_cast<int>(value) : setting.defaultValue;
    case SettingRule::kAlarmThreshold:
      return value > 125 ? 125 : static_cast<int>(value);
    case SettingRule::kFlushSeconds:
      if (value == 0) return 1;
      return value > 86400 ? 86400 : static_cast<int>(value);
    case SettingRule::kFontChoice:
      return value <= 3 ? static_cast<int>(value) : 0;
  }
  return static_cast<int>(value);
}

}  // namespace korvath
