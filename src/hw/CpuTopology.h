// The physical cores and packages of the machine, from the x2APIC topology
// leaves (0x1F, else 0xB) and the hybrid core type leaf 0x1A.
#pragma once

#include <cstdint>

namespace korvath {

class MsrAccess;
class Processor;

// Which topology leaf the processor has and its level shifts.
struct TopologyLeaf {
  uint32_t leaf = 0;          // 0x1F or 0xB; 0 when the processor has neither
  uint32_t smtShift = 0;      // x2APIC id >> smtShift: the core
  uint32_t packageShift = 0;  // x2APIC id >> packageShift: the package
};

TopologyLeaf FindTopologyLeaf(Processor& processor);

// Visits every logical processor and fills the core and package lists and
// the core of each of processors 0-7; false, with nothing filled, when the
// processor has no topology leaf.
bool FindCores(MsrAccess& access);

}  // namespace korvath
