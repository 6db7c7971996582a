#include "platform/sim/SimulatedProcessor.h"

#include "platform/TextFormat.h"

namespace korvath {

std::string ProcessorEvent::ToString() const {
  using K = Kind;
  switch (kind) {
    case K::kSetProcessAffinity: return Format("process-affinity 0x%X", mask);
    case K::kSetThreadAffinity: return Format("thread-affinity 0x%X", mask);
    case K::kYield: return "yield";
    case K::kCpuid: return Format("cpuid cpu%d 0x%X", cpu, index);
    case K::kReadTsc: return Format("rdtsc cpu%d", cpu);
    case K::kReadMsr: return Format("read cpu%d 0x%X", cpu, index);
    case K::kWriteMsr:
      return Format("write cpu%d 0x%X 0x%llX", cpu, index, static_cast<unsigned long long>(value));
    case K::kOpen: return "open";
    case K::kStatus: return "status";
    case K::kMsrSupport: return "msr-support";
    case K::kClose: return "close";
  }
  return "?";
}

SimulatedProcessor::SimulatedProcessor(MachineDescription machine, TimeSource* time)
    : machine_(std::move(machine)),
      time_(time),
      processMask_(machine_.processAffinity.value_or(machine_.systemAffinity)),
      threadMask_(0) {
  for (int cpu = 0; cpu < 32; ++cpu) {
    if (!(machine_.systemAffinity & (1u << cpu))) continue;
    msr_[cpu] = machine_.msr;
    auto overrides = machine_.msrOverrides.find(cpu);
    if (overrides == machine_.msrOverrides.end()) continue;
    for (const auto& [index, value] : overrides->second) msr_[cpu][index] = value;
  }
}

int SimulatedProcessor::CurrentCpu() const {
  uint32_t effective = processMask_ & machine_.systemAffinity;
  if (threadMask_ != 0 && (threadMask_ & effective) != 0) effective &= threadMask_;
  for (int cpu = 0; cpu < 32; ++cpu) {
    if (effective & (1u << cpu)) return cpu;
  }
  return 0;
}

CpuidResult SimulatedProcessor::Cpuid(uint32_t leaf, uint32_t subleaf) {
  int cpu = CurrentCpu();
  Record({ProcessorEvent::Kind::kCpuid, cpu, 0, leaf, 0});
  CpuidKey key{leaf, subleaf};
  auto perCpu = machine_.cpuidOverrides.find(cpu);
  if (perCpu != machine_.cpuidOverrides.end()) {
    auto found = perCpu->second.find(key);
    if (found != perCpu->second.end()) return found->second;
  }
  auto found = machine_.cpuid.find(key);
  if (found == machine_.cpuid.end()) return {};
  CpuidResult result = found->second;
  // Each logical processor reports its own initial APIC identifier.
  if (leaf == 1) result.ebx = (result.ebx & 0x00FFFFFFu) | (static_cast<uint32_t>(cpu) << 24);
  return result;
}

uint64_t SimulatedProcessor::ReadTsc() {
  Record({ProcessorEvent::Kind::kReadTsc, CurrentCpu(), 0, 0, 0});
  if (time_ == nullptr) return 0;
  // Counter ticks * (MHz * 1e6) / frequency, in two steps to stay in range.
  long double seconds = static_cast<long double>(time_->PerformanceCounter()) /
                        static_cast<long double>(time_->PerformanceFrequency());
  return static_cast<uint64_t>(seconds * machine_.tscMhz * 1e6L);
}

AffinityMasks SimulatedProcessor::GetAffinityMasks() {
  return {processMask_, machine_.systemAffinity};
}

void SimulatedProcessor::SetProcessAffinity(uint32_t mask) {
  Record({ProcessorEvent::Kind::kSetProcessAffinity, -1, mask, 0, 0});
  // Like Windows: a mask outside the system's processors is refused.
  if (mask == 0 || (mask & ~machine_.systemAffinity) != 0) return;
  processMask_ = mask;
}

void SimulatedProcessor::SetThreadAffinity(uint32_t mask) {
  Record({ProcessorEvent::Kind::kSetThreadAffinity, -1, mask, 0, 0});
  if (mask == 0 || (mask & ~processMask_) != 0) return;
  threadMask_ = mask;
}

void SimulatedProcessor::YieldToScheduler() { Record({ProcessorEvent::Kind::kYield, -1, 0, 0, 0}); }

void SimulatedProcessor::OpenHardwareAccess() { Record({ProcessorEvent::Kind::kOpen, -1, 0, 0, 0}); }

int SimulatedProcessor::GetHardwareAccessStatus() {
  Record({ProcessorEvent::Kind::kStatus, -1, 0, 0, 0});
  return machine_.driverStatus;
}

bool SimulatedProcessor::QueryMsrSupport() {
  Record({ProcessorEvent::Kind::kMsrSupport, -1, 0, 0, 0});
  return machine_.msrSupport;
}

void SimulatedProcessor::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
  int cpu = CurrentCpu();
  uint64_t value = PeekMsr(cpu, index);
  Record({ProcessorEvent::Kind::kReadMsr, cpu, 0, index, value});
  *low = static_cast<uint32_t>(value);
  *high = static_cast<uint32_t>(value >> 32);
}

void SimulatedProcessor::WriteMsr(uint32_t index, uint32_t low, uint32_t high) {
  int cpu = CurrentCpu();
  uint64_t value = (static_cast<uint64_t>(high) << 32) | low;
  Record({ProcessorEvent::Kind::kWriteMsr, cpu, 0, index, value});
  PokeMsr(cpu, index, value);
}

void SimulatedProcessor::CloseHardwareAccess() { Record({ProcessorEvent::Kind::kClose, -1, 0, 0, 0}); }

uint64_t SimulatedProcessor::PeekMsr(int cpu, uint32_t index) const {
  auto perCpu = msr_.find(cpu);
  if (perCpu == msr_.end()) return 0;
  auto found = perCpu->second.find(index);
  return found == perCpu->second.end() ? 0 : found->second;
}

void SimulatedProcessor::PokeMsr(int cpu, uint32_t index, uint64_t value) { msr_[cpu][index] = value; }

std::vector<std::string> SimulatedProcessor::EventStrings() const {
  std::vector<std::string> lines;
  lines.reserve(events_.size());
  for (const ProcessorEvent& event : events_) lines.push_back(event.ToString());
  return lines;
}

}  // namespace korvath
