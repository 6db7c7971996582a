#include "monitor/TrayIconText.h"

#include <string>

namespace korvath {

std::string TrayIconText(int value) {
  // std::to_string writes what "%d" writes.
  if (value > 99) {
    value -= 100;
    std::string text = std::to_string(value);
    if (value <= 9) text.insert(text.begin(), '0');
    return text;
  }
  return std::to_string(value);
}

}  // namespace korvath
