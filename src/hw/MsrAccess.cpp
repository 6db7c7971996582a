#include "hw/MsrAccess.h"

#include "platform/Processor.h"

namespace korvath {

std::string HardwareStatusText(int status) {
  switch (status) {
    case 0: return "No Error";
    case 1: return "Unsupported Platform";
    case 2: return "Driver Not Loaded\nTry Run as Administrator.";
    case 3: return "Driver Not Found";
    case 4: return "Driver Unloaded";
    case 5: return "Driver Not Found On Network";
    case 9: return "Unknown Error";
    default: return "";
  }
}

std::optional<FatalError> MsrAccess::Open() {
  processor_.OpenHardwareAccess();
  int status = processor_.GetHardwareAccessStatus();
  if (status == 0 && processor_.QueryMsrSupport()) return std::nullopt;
  // Windows' driver block list and Memory Integrity refuse the library's
  // driver; the signed read-only driver still gives every reading.
  if (processor_.OpenReadOnlyAccess()) {
    access_ = RegisterAccess::kReadOnly;
    return std::nullopt;
  }
  return FatalError{"Driver Error", HardwareStatusText(status), 0};
}

void MsrAccess::Close() { processor_.CloseHardwareAccess(); }

bool MsrAccess::SetThreadMask(uint64_t mask) {
  if (!processOnSystemMask_) {
    processor_.SetProcessAffinity(cpu_.systemAffinityMask);
    processOnSystemMask_ = true;
  }
  if (processor_.SetThreadAffinity(mask)) return true;
  processor_.SetProcessAffinity(cpu_.systemAffinityMask);
  return processor_.SetThreadAffinity(mask);
}

// Across groups the process has no one mask to widen: a thread is moved
// into the group it is to run in.
bool MsrAccess::SetGroupMask(int group, uint64_t mask) { return processor_.SetThreadGroupAffinity(group, mask); }

bool MsrAccess::PinToCpu(uint64_t mask) {
  if (!(cpu_.groupCount > 1 ? SetGroupMask(0, mask) : SetThreadMask(mask))) return false;
  processor_.YieldToScheduler();
  return true;
}

bool MsrAccess::PinToProcessor(int logicalProcessor) {
  int group = 0;
  int number = 0;
  if (!cpu_.Locate(logicalProcessor, &group, &number)) return false;
  const uint64_t mask = uint64_t{1} << number;
  if (cpu_.groupCount <= 1) return PinToCpu(mask);
  if (!SetGroupMask(group, mask)) return false;
  processor_.YieldToScheduler();
  return true;
}

void MsrAccess::RestoreAffinity() {
  // Setting the process mask here would also reset the clock thread's own
  // pin to processor 0, so only the calling thread is restored.
  if (cpu_.groupCount > 1) SetGroupMask(cpu_.homeGroup, cpu_.GroupMask(cpu_.homeGroup));
  else SetThreadMask(cpu_.systemAffinityMask);
}

uint64_t MsrAccess::ReadMsr(uint32_t index) {
  uint32_t low = 0;
  uint32_t high = 0;
  processor_.ReadMsr(index, &low, &high);
  return (static_cast<uint64_t>(high) << 32) | low;
}

bool MsrAccess::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
  return processor_.ReadMsr(index, low, high);
}

bool MsrAccess::ReadMsr(uint32_t index, uint64_t* value) {
  uint32_t low = 0;
  uint32_t high = 0;
  bool read = processor_.ReadMsr(index, &low, &high);
  *value = (static_cast<uint64_t>(high) << 32) | low;
  return read;
}

void MsrAccess::WriteMsr(uint32_t index, uint32_t low, uint32_t high) {
  if (readOnly()) return;
  processor_.WriteMsr(index, low, high);
}

// On the read-only driver the fixed counters are left as they are found:
// it can neither switch them on nor off.
void MsrAccess::EnableFixedCounters() {
  if (readOnly()) return;
  ForEachProcessor([this](int) {
    uint32_t low = 0;
    uint32_t high = 0;
    // Written back from a failed read, the zeros would clear the other bits.
    if (!processor_.ReadMsr(kMsrFixedCtrCtrl, &low, &high)) return;
    // Someone else's enable bits are theirs: leave the register alone.
    if ((low & kFixedCounterEnableBits) == 0) {
      processor_.WriteMsr(kMsrFixedCtrCtrl, low | kFixedCounterEnableBits, high);
      cpu_.countersEnabled = 1;
    }
  });
}

void MsrAccess::SetClockModulation(uint32_t value) {
  if (readOnly()) return;
  ForEachProcessor([this, value](int) { processor_.WriteMsr(kMsrClockModulation, value, 0); });
}

void MsrAccess::DisableFixedCounters() {
  if (cpu_.countersEnabled != 1 || readOnly()) return;
  ForEachProcessor([this](int) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (processor_.ReadMsr(kMsrFixedCtrCtrl, &low, &high)) {
      processor_.WriteMsr(kMsrFixedCtrCtrl, low & ~kFixedCounterEnableBits, high);
    }
    processor_.WriteMsr(kMsrFixedCtr1, 0, 0);
    processor_.WriteMsr(kMsrFixedCtr2, 0, 0);
  });
}

}  // namespace korvath
