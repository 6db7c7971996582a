// What the read-only driver's MSR module lets through: reads of the
// registers on its allow-list, no writes at all to the registers Korvath
// writes. Shared by the simulated processor and the driver's double.
#pragma once

#include <cstdint>

namespace korvath {

// countersAllowed false: an older module that refuses MPERF and APERF.
inline bool ReadOnlyModuleReads(uint32_t index, bool countersAllowed = true) {
  switch (index) {
    case 0x19C:  // thermal status
    case 0x1A2:  // temperature target
    case 0x198:  // performance status
    case 0xCE:   // platform info
    case 0x2A:   // power-on configuration
    case 0x1B1:  // package thermal status
      return true;
    case 0xE7:   // MPERF
    case 0xE8:   // APERF
      return countersAllowed;
    default:
      return false;
  }
}

}  // namespace korvath
