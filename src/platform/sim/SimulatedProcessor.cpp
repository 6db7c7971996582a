#include "platform/sim/SimulatedProcessor.h"

#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr uint32_t kFixedCounter1 = 0x30A;  // unhalted core cycles
constexpr uint32_t kFixedCounter2 = 0x30B;  // unhalted reference cycles
constexpr uint32_t kFixedCounterControl = 0x38D;
constexpr uint32_t kBusRatioRegister = 0x2A;
// Either privilege level's enable bit lets a fixed counter count.
constexpr uint64_t kCounter1EnableBits = 0x030;
constexpr uint64_t kCounter2EnableBits = 0x300;

bool IsCounterState(uint32_t index) {
  return index == kFixedCounter1 || index == kFixedCounter2 || index == kFixedCounterControl;
}

}  // namespace

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

SimulatedProcessor::SimulatedProcessor(MachineDescription machine, const MachineTime* time, CallRecord record)
    : machine_(std::move(machine)),
      time_(time),
      processMask_(machine_.processAffinity.value_or(machine_.systemAffinity)),
      threadMask_(0),
      recording_(record == CallRecord::kOn) {
  for (int cpu = 0; cpu < 32; ++cpu) {
    if (!(machine_.systemAffinity & (1u << cpu))) continue;
    msr_[cpu] = machine_.msr;
    auto overrides = machine_.msrOverrides.find(cpu);
    if (overrides != machine_.msrOverrides.end()) {
      for (const auto& [index, value] : overrides->second) msr_[cpu][index] = value;
    }
    activity_[cpu] = ActivityOf(machine_, cpu);
    countersSyncedAt_[cpu] = time_ != nullptr ? time_->NowMicroseconds() : 0;
    PlaceBusRatio(cpu);
  }
}

void SimulatedProcessor::PlaceBusRatio(int cpu) {
  const std::optional<double>& ratio = activity_[cpu].busRatio;
  if (!ratio) return;
  constexpr uint64_t kField = (0x1Full << 22) | (1ull << 18);
  int halfSteps = static_cast<int>(*ratio * 2);
  uint64_t field = (static_cast<uint64_t>(halfSteps / 2) << 22) | (halfSteps % 2 ? 1ull << 18 : 0);
  uint64_t& value = msr_[cpu][kBusRatioRegister];
  value = (value & ~kField) | field;
}

uint64_t SimulatedProcessor::PendingCount(int cpu, uint32_t index) const {
  if (time_ == nullptr) return 0;
  auto synced = countersSyncedAt_.find(cpu);
  auto activity = activity_.find(cpu);
  if (synced == countersSyncedAt_.end() || activity == activity_.end()) return 0;
  int64_t elapsed = time_->NowMicroseconds() - synced->second;
  if (elapsed <= 0) return 0;
  uint64_t control = PeekMsr(cpu, kFixedCounterControl);
  bool counting = index == kFixedCounter1 ? (control & kCounter1EnableBits) != 0
                                          : (control & kCounter2EnableBits) != 0;
  if (!counting) return 0;
  // Reference cycles tick at the time-stamp counter's rate while the
  // processor is not halted; core cycles tick at that rate times the ratio.
  long double rate = machine_.tscMhz * activity->second.loadPercent / 100.0L;
  if (index == kFixedCounter1) rate *= activity->second.clockRatio;
  return static_cast<uint64_t>(static_cast<long double>(elapsed) * rate);
}

void SimulatedProcessor::SyncCounters(int cpu) {
  if (time_ == nullptr || msr_.find(cpu) == msr_.end()) return;
  uint64_t core = PendingCount(cpu, kFixedCounter1);
  uint64_t reference = PendingCount(cpu, kFixedCounter2);
  msr_[cpu][kFixedCounter1] += core;
  msr_[cpu][kFixedCounter2] += reference;
  countersSyncedAt_[cpu] = time_->NowMicroseconds();
}

void SimulatedProcessor::SetActivity(int cpu, const ProcessorActivity& activity) {
  if (msr_.find(cpu) == msr_.end()) return;
  SyncCounters(cpu);
  activity_[cpu] = activity;
  PlaceBusRatio(cpu);
}

ProcessorActivity SimulatedProcessor::Activity(int cpu) const {
  auto found = activity_.find(cpu);
  return found == activity_.end() ? ProcessorActivity{} : found->second;
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
  // The true simulated time, not the performance counter: a skewed
  // performance counter must not drag the time-stamp counter along.
  return static_cast<uint64_t>(static_cast<long double>(time_->NowMicroseconds()) * machine_.tscMhz);
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

bool SimulatedProcessor::ReadFailsNow() {
  if (machine_.readFailsEvery <= 0) return false;
  if (++readsSinceFailure_ < machine_.readFailsEvery) return false;
  readsSinceFailure_ = 0;
  return true;
}

void SimulatedProcessor::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
  int cpu = CurrentCpu();
  uint64_t value = ReadFailsNow() ? 0 : PeekMsr(cpu, index);
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
  uint64_t value = found == perCpu->second.end() ? 0 : found->second;
  if (index == kFixedCounter1 || index == kFixedCounter2) value += PendingCount(cpu, index);
  return value;
}

void SimulatedProcessor::PokeMsr(int cpu, uint32_t index, uint64_t value) {
  if (IsCounterState(index)) SyncCounters(cpu);
  msr_[cpu][index] = value;
}

std::vector<std::string> SimulatedProcessor::EventStrings() const {
  std::vector<std::string> lines;
  lines.reserve(events_.size());
  for (const ProcessorEvent& event : events_) lines.push_back(event.ToString());
  return lines;
}

}  // namespace korvath
