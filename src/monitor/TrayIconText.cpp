#include "monitor/TrayIconText.h"

#include "platform/TextFormat.h"

namespace korvath {

std::string TrayIconText(int value) {
  if (value > 99) {
    value -= 100;
    return Format(value > 9 ? "%d" : "0%d", value);
  }
  return Format("%d", value);
}

}  // namespace korvath
