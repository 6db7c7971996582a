// What kind of core a physical core is on a hybrid processor.
#pragma once

namespace korvath {

enum class CoreType {
  kUnknown,           // no core types on this processor
  kPerformance,       // P-core
  kEfficient,         // E-core
  kLowPowerEfficient, // E-core on the SoC tile, without the level-3 cache
};

// "P", "E", "LP-E", or "" where the processor has no core types.
const char* CoreTypeName(CoreType type);

}  // namespace korvath
