#include "monitor/TrayIconText.h"

#include <string>

namespace korvath {

std::string TrayIconText(int value) {
  // std::to_string writes what "%d" writes.
  if (value > 99) {
    value -= 100;
    return value > 9 ? std::to_string(value) : "0" + std::to_string(value);
  }
  return std::to_string(value);
}

}  // namespace korvath
