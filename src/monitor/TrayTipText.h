// The all-cores tooltip of the tray: every read core on a line of its own
// while that fits the shell's tip, otherwise the hottest core (and the
// hottest of each core type on hybrid processors) and the package sensors.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "hw/CoreType.h"

namespace korvath {

// The shell keeps 128 UTF-16 units of a tip, the terminator included.
inline constexpr size_t kTrayTipLimit = 127;

struct TipCore {
  int number;  // the core's display number
  CoreType type;
  int temperature;
};

// cores: the cores read, in display order. packages: the package sensors'
// temperatures, one per package. The text replaces what tip held; tip keeps
// its capacity, so a caller that keeps the string allocates only once.
void BuildTrayTipText(std::span<const TipCore> cores, std::span<const int> packages, std::string_view degreeSuffix,
                      std::string& tip);

// What Windows counts of a UTF-8 text: its UTF-16 units.
size_t Utf16Length(std::string_view text);

}  // namespace korvath
