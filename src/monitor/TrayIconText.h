// The number drawn into a tray icon: two digits fit, so 100 and above lose
// their hundreds (100 -> "00", 105 -> "05", 123 -> "23").
#pragma once

#include <string>

namespace korvath {

std::string TrayIconText(int value);

}  // namespace korvath
