#include "platform/sim/SimulatedProcessor.h"

#include <algorithm>
#include <cmath>

#include "platform/TextFormat.h"
#include "platform/sim/ReadOnlyMsrModule.h"

namespace korvath {
namespace {

constexpr uint32_t kFixedCounter1 = 0x30A;  // unhalted core cycles
constexpr uint32_t kFixedCounter2 = 0x30B;  // unhalted reference cycles
constexpr uint32_t kFixedCounterControl = 0x38D;
// Count the same cycles as fixed counters 2 and 1, but always run.
constexpr uint32_t kMperf = 0xE7;
constexpr uint32_t kAperf = 0xE8;
constexpr uint32_t kBusRatioRegister = 0x2A;
constexpr uint32_t kThermStatus = 0x19C;
constexpr uint64_t kReadoutField = 0x7Full << 16;
constexpr int64_t kMicrosecondsPerSecond = 1'000'000;
// Either privilege level's enable bit lets a fixed counter count.
constexpr uint64_t kCounter1EnableBits = 0x030;
constexpr uint64_t kCounter2EnableBits = 0x300;

bool IsCounter(uint32_t index) {
  return index == kFixedCounter1 || index == kFixedCounter2 || index == kMperf || index == kAperf;
}

bool IsCoreCycleCounter(uint32_t index) { return index == kFixedCounter1 || index == kAperf; }

bool IsCounterState(uint32_t index) { return IsCounter(index) || index == kFixedCounterControl; }

// The bus ratio's place in 0x2A: the whole part in bits 26-22, a half step
// in bit 18.
uint64_t WithBusRatio(uint64_t value, double ratio) {
  constexpr uint64_t kField = (0x1Full << 22) | (1ull << 18);
  int halfSteps = static_cast<int>(ratio * 2);
  uint64_t field = (static_cast<uint64_t>(halfSteps / 2) << 22) | (halfSteps % 2 ? 1ull << 18 : 0);
  return (value & ~kField) | field;
}

}  // namespace

std::string ProcessorEvent::ToString() const {
  using K = Kind;
  switch (kind) {
    case K::kSetProcessAffinity: return Format("process-affinity 0x%llX", static_cast<unsigned long long>(mask));
    case K::kSetThreadAffinity: return Format("thread-affinity 0x%llX", static_cast<unsigned long long>(mask));
    case K::kSetThreadGroupAffinity:
      return Format("thread-affinity group %d 0x%llX", group, static_cast<unsigned long long>(mask));
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
    case K::kOpenReadOnly: return "open-read-only";
  }
  return "?";
}

SimulatedProcessor::SimulatedProcessor(MachineDescription machine, const MachineTime* time, CallRecord record)
    : machine_(std::move(machine)),
      time_(time),
      processMask_(machine_.processAffinity.value_or(machine_.systemAffinity)),
      threadMask_(0),
      recording_(record == CallRecord::kOn) {
  living_ = time_ != nullptr && (machine_.hasThermal || machine_.schedule.has_value());
  if (time_ != nullptr) startedAt_ = advancedTo_ = time_->NowMicroseconds();
  int rank = 0;
  int first = 0;
  for (size_t group = 0; group < machine_.groups.size(); ++group) {
    groupFirst_.push_back(first);
    uint64_t mask = group == 0 ? machine_.systemAffinity : machine_.groups[group];
    int width = 0;
    for (int bit = 0; bit < 64; ++bit) {
      if (mask >> bit & 1) width = bit + 1;
    }
    first += width;
  }
  for (int cpu = 0; cpu < first && cpu < kMaxSimulatedProcessors; ++cpu) {
    int group = static_cast<int>(groupFirst_.size()) - 1;
    while (group > 0 && cpu < groupFirst_[static_cast<size_t>(group)]) --group;
    uint64_t mask = group == 0 ? machine_.systemAffinity : machine_.groups[static_cast<size_t>(group)];
    if ((mask >> (cpu - groupFirst_[static_cast<size_t>(group)]) & 1) == 0) continue;
    rank_[cpu] = rank++;
    msr_[cpu] = machine_.msr;
    auto overrides = machine_.msrOverrides.find(cpu);
    if (overrides != machine_.msrOverrides.end()) {
      for (const auto& [index, value] : overrides->second) msr_[cpu][index] = value;
    }
    activity_[cpu] = ActivityOf(machine_, cpu);
    countersSyncedAt_[cpu] = time_ != nullptr ? time_->NowMicroseconds() : 0;
    PlaceBusRatio(cpu);
    if (std::optional<ThermalResponse> thermal = ThermalOf(machine_, cpu); thermal && living_) {
      thermal_[cpu] = *thermal;
      // The run starts with the sensor settled at the first load.
      double load = EffectiveActivity(cpu, startedAt_).loadPercent;
      readout_[cpu] = thermal->idleReadout + (thermal->fullReadout - thermal->idleReadout) * load / 100.0;
    }
  }
}

ProcessorActivity SimulatedProcessor::EffectiveActivity(int cpu, int64_t at) const {
  auto found = activity_.find(cpu);
  ProcessorActivity activity = found == activity_.end() ? ProcessorActivity{} : found->second;
  if (!living_) return activity;
  if (const std::optional<LoadSchedule>& schedule = machine_.schedule) {
    size_t entry = ScheduleEntry(at);
    activity.loadPercent = schedule->loadPercent[entry % schedule->loadPercent.size()];
    if (!schedule->clockRatio.empty()) activity.clockRatio = schedule->clockRatio[entry % schedule->clockRatio.size()];
  }
  auto rank = rank_.find(cpu);
  if (rank != rank_.end() && rank->second < busyProcessors_) activity.loadPercent = 100.0;
  return activity;
}

size_t SimulatedProcessor::ScheduleEntry(int64_t at) const {
  auto step = static_cast<int64_t>(machine_.schedule->stepSeconds * kMicrosecondsPerSecond);
  return static_cast<size_t>(std::max<int64_t>(0, at - startedAt_) / step);
}

void SimulatedProcessor::RecordWork(int delta) {
  if (!living_) return;
  std::lock_guard<std::mutex> lock(workMutex_);
  workEvents_.push_back({time_->NowMicroseconds(), delta});
}

void SimulatedProcessor::Advance() {
  if (!living_) return;
  {
    std::lock_guard<std::mutex> lock(workMutex_);
    takenEvents_.swap(workEvents_);
  }
  // Read after the events were taken: none of them lies beyond it.
  const int64_t now = time_->NowMicroseconds();
  size_t next = 0;
  while (advancedTo_ < now || next < takenEvents_.size()) {
    int64_t until = now;
    if (machine_.schedule) {
      auto step = static_cast<int64_t>(machine_.schedule->stepSeconds * kMicrosecondsPerSecond);
      int64_t boundary = startedAt_ + ((advancedTo_ - startedAt_) / step + 1) * step;
      until = std::min(until, boundary);
    }
    if (next < takenEvents_.size()) until = std::min(until, std::max(takenEvents_[next].at, advancedTo_));
    StepTo(until);
    // At now every event left is due, whatever time its thread read.
    for (; next < takenEvents_.size() && (takenEvents_[next].at <= advancedTo_ || advancedTo_ >= now); ++next) {
      workers_ += takenEvents_[next].delta;
    }
    busyProcessors_ = stressRunning_ ? static_cast<int>(rank_.size()) : std::max(workers_, 0);
  }
  takenEvents_.clear();
  if (stressProbe_ && (!stressProbed_ || now - stressProbedAt_ >= kMicrosecondsPerSecond)) {
    stressProbed_ = true;
    stressProbedAt_ = now;
    stressRunning_ = stressProbe_();
    busyProcessors_ = stressRunning_ ? static_cast<int>(rank_.size()) : std::max(workers_, 0);
  }
}

void SimulatedProcessor::StepTo(int64_t until) {
  if (until <= advancedTo_) return;
  const double seconds = static_cast<double>(until - advancedTo_) / kMicrosecondsPerSecond;
  for (auto& [cpu, readout] : readout_) {
    const ThermalResponse& thermal = thermal_[cpu];
    double load = EffectiveActivity(cpu, advancedTo_).loadPercent;
    double target = thermal.idleReadout + (thermal.fullReadout - thermal.idleReadout) * load / 100.0;
    readout = target + (readout - target) * std::exp(-seconds / thermal.timeConstantSeconds);
  }
  for (auto& [cpu, registers] : msr_) SyncCounters(cpu, until);
  advancedTo_ = until;
}

double SimulatedProcessor::SensorReadout(int cpu) const {
  auto found = readout_.find(cpu);
  return found == readout_.end() ? 0.0 : found->second;
}

void SimulatedProcessor::PlaceBusRatio(int cpu) {
  const std::optional<double>& ratio = activity_[cpu].busRatio;
  if (!ratio) return;
  uint64_t& value = msr_[cpu][kBusRatioRegister];
  value = WithBusRatio(value, *ratio);
}

uint64_t SimulatedProcessor::PendingCount(int cpu, uint32_t index, int64_t until) const {
  if (time_ == nullptr) return 0;
  auto synced = countersSyncedAt_.find(cpu);
  if (synced == countersSyncedAt_.end() || activity_.find(cpu) == activity_.end()) return 0;
  const ProcessorActivity activity = EffectiveActivity(cpu, synced->second);
  int64_t elapsed = (until < 0 ? time_->NowMicroseconds() : until) - synced->second;
  if (elapsed <= 0) return 0;
  if (index == kFixedCounter1 || index == kFixedCounter2) {
    uint64_t control = PeekMsr(cpu, kFixedCounterControl);
    bool counting = index == kFixedCounter1 ? (control & kCounter1EnableBits) != 0
                                            : (control & kCounter2EnableBits) != 0;
    if (!counting) return 0;
  }
  // Reference cycles tick at the time-stamp counter's rate while the
  // processor is not halted; core cycles tick at that rate times the ratio.
  long double rate = machine_.tscMhz * activity.loadPercent / 100.0L;
  if (IsCoreCycleCounter(index)) rate *= activity.clockRatio;
  return static_cast<uint64_t>(static_cast<long double>(elapsed) * rate);
}

void SimulatedProcessor::SyncCounters(int cpu, int64_t until) {
  if (time_ == nullptr || msr_.find(cpu) == msr_.end()) return;
  if (until < 0) until = time_->NowMicroseconds();
  if (until < countersSyncedAt_[cpu]) return;
  uint64_t pending[] = {PendingCount(cpu, kFixedCounter1, until), PendingCount(cpu, kFixedCounter2, until),
                        PendingCount(cpu, kAperf, until), PendingCount(cpu, kMperf, until)};
  msr_[cpu][kFixedCounter1] += pending[0];
  msr_[cpu][kFixedCounter2] += pending[1];
  msr_[cpu][kAperf] += pending[2];
  msr_[cpu][kMperf] += pending[3];
  countersSyncedAt_[cpu] = until;
}

void SimulatedProcessor::SetActivity(int cpu, const ProcessorActivity& activity) {
  if (msr_.find(cpu) == msr_.end()) return;
  Advance();
  SyncCounters(cpu);
  activity_[cpu] = activity;
  PlaceBusRatio(cpu);
}

ProcessorActivity SimulatedProcessor::Activity(int cpu) const {
  auto found = activity_.find(cpu);
  return found == activity_.end() ? ProcessorActivity{} : found->second;
}

int SimulatedProcessor::CurrentCpu() const {
  uint64_t effective = processMask_ & machine_.systemAffinity;
  int first = 0;
  if (threadGroup_ > 0) {
    effective = threadMask_;
    first = groupFirst_[static_cast<size_t>(threadGroup_)];
  } else if (threadMask_ != 0 && (threadMask_ & effective) != 0) {
    effective &= threadMask_;
  }
  for (int bit = 0; bit < 64; ++bit) {
    if (effective >> bit & 1) return first + bit;
  }
  return 0;
}

uint64_t SimulatedProcessor::GroupProcessorMask(int group) {
  if (group < 0 || static_cast<size_t>(group) >= machine_.groups.size()) return 0;
  return group == 0 ? machine_.systemAffinity : machine_.groups[static_cast<size_t>(group)];
}

bool SimulatedProcessor::SetThreadGroupAffinity(int group, uint64_t mask) {
  ProcessorEvent event{ProcessorEvent::Kind::kSetThreadGroupAffinity, -1, mask, 0, 0};
  event.group = group;
  Record(event);
  uint64_t allowed = group == 0 ? processMask_ : GroupProcessorMask(group);
  if (mask == 0 || (mask & ~allowed) != 0 || (group == 0 && (mask & refusedThreadMask_) != 0)) return false;
  threadGroup_ = group;
  threadMask_ = mask;
  return true;
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

void SimulatedProcessor::SetProcessAffinity(uint64_t mask) {
  Record({ProcessorEvent::Kind::kSetProcessAffinity, -1, mask, 0, 0});
  // Like Windows: a mask outside the system's processors is refused.
  if (mask == 0 || (mask & ~machine_.systemAffinity) != 0) return;
  processMask_ = mask;
}

bool SimulatedProcessor::SetThreadAffinity(uint64_t mask) {
  Record({ProcessorEvent::Kind::kSetThreadAffinity, -1, mask, 0, 0});
  // Windows sets the mask within the group the thread runs in.
  if (threadGroup_ != 0) {
    if (mask == 0 || (mask & ~GroupProcessorMask(threadGroup_)) != 0) return false;
    threadMask_ = mask;
    return true;
  }
  if (mask == 0 || (mask & ~processMask_) != 0 || (mask & refusedThreadMask_) != 0) return false;
  threadMask_ = mask;
  return true;
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

bool SimulatedProcessor::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
  Advance();
  int cpu = CurrentCpu();
  // The read-only driver's module refuses what is not on its list.
  bool fails = ReadFailsNow() || (readOnly_ && !ReadOnlyModuleReads(index, machine_.readOnlyCounters));
  uint64_t value = fails ? 0 : PeekMsr(cpu, index);
  Record({ProcessorEvent::Kind::kReadMsr, cpu, 0, index, value});
  *low = static_cast<uint32_t>(value);
  *high = static_cast<uint32_t>(value >> 32);
  return !fails;
}

void SimulatedProcessor::WriteMsr(uint32_t index, uint32_t low, uint32_t high) {
  int cpu = CurrentCpu();
  uint64_t value = (static_cast<uint64_t>(high) << 32) | low;
  Record({ProcessorEvent::Kind::kWriteMsr, cpu, 0, index, value});
  if (!readOnly_) PokeMsr(cpu, index, value);
}

void SimulatedProcessor::CloseHardwareAccess() { Record({ProcessorEvent::Kind::kClose, -1, 0, 0, 0}); }

bool SimulatedProcessor::OpenReadOnlyAccess() {
  Record({ProcessorEvent::Kind::kOpenReadOnly, -1, 0, 0, 0});
  readOnly_ = machine_.readOnlyDriver;
  return readOnly_;
}

uint64_t SimulatedProcessor::PeekMsr(int cpu, uint32_t index) const {
  auto perCpu = msr_.find(cpu);
  if (perCpu == msr_.end()) return 0;
  auto found = perCpu->second.find(index);
  uint64_t value = found == perCpu->second.end() ? 0 : found->second;
  if (IsCounter(index)) value += PendingCount(cpu, index);
  if (index == kBusRatioRegister && living_ && machine_.schedule && !machine_.schedule->busRatio.empty()) {
    const std::vector<double>& ratios = machine_.schedule->busRatio;
    value = WithBusRatio(value, ratios[ScheduleEntry(advancedTo_) % ratios.size()]);
  }
  if (index == kThermStatus) {
    auto readout = readout_.find(cpu);
    if (readout != readout_.end()) {
      auto field = static_cast<uint64_t>(std::lround(std::clamp(readout->second, 0.0, 127.0)));
      value = (value & ~kReadoutField) | (field << 16);
    }
  }
  return value;
}

void SimulatedProcessor::PokeMsr(int cpu, uint32_t index, uint64_t value) {
  Advance();
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
