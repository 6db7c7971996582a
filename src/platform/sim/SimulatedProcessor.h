// A Processor that serves a machine description and records every call.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Processor.h"
#include "platform/sim/MachineDescription.h"
#include "platform/sim/SimulatedClock.h"

namespace korvath {

struct ProcessorEvent {
  enum class Kind {
    kSetProcessAffinity,
    kSetThreadAffinity,
    kYield,
    kCpuid,
    kReadTsc,
    kReadMsr,
    kWriteMsr,
    kOpen,
    kStatus,
    kMsrSupport,
    kClose,
  };
  Kind kind;
  int cpu = -1;          // logical processor the call ran on (register and CPUID work)
  uint32_t mask = 0;     // affinity calls
  uint32_t index = 0;    // register index or CPUID leaf
  uint64_t value = 0;    // value read or written

  // One-line form for test assertions: "pin-process 0x1", "read cpu0 0x19C", ...
  std::string ToString() const;
};

// Whether a SimulatedProcessor keeps a record of every call for a test to
// read back; a run without one keeps its memory flat however long it goes.
enum class CallRecord { kOff, kOn };

class SimulatedProcessor : public Processor {
 public:
  // time drives the time-stamp counter and the fixed counters; without it
  // they stay where they are.
  explicit SimulatedProcessor(MachineDescription machine, const MachineTime* time = nullptr,
                              CallRecord record = CallRecord::kOff);

  CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTsc() override;
  AffinityMasks GetAffinityMasks() override;
  void SetProcessAffinity(uint32_t mask) override;
  void SetThreadAffinity(uint32_t mask) override;
  void YieldToScheduler() override;
  void OpenHardwareAccess() override;
  int GetHardwareAccessStatus() override;
  bool QueryMsrSupport() override;
  void ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) override;
  void WriteMsr(uint32_t index, uint32_t low, uint32_t high) override;
  void CloseHardwareAccess() override;

  // The logical processor the calling thread runs on now: the lowest bit of
  // the thread mask within the process mask.
  int CurrentCpu() const;
  uint32_t ProcessMask() const { return processMask_; }
  uint32_t ThreadMask() const { return threadMask_; }

  // Register value as the simulated processor holds it, without recording.
  uint64_t PeekMsr(int cpu, uint32_t index) const;
  void PokeMsr(int cpu, uint32_t index, uint64_t value);

  // Load and clock ratio of one logical processor from now on; the counters
  // keep what they counted so far.
  void SetActivity(int cpu, const ProcessorActivity& activity);
  ProcessorActivity Activity(int cpu) const;

  const std::vector<ProcessorEvent>& Events() const { return events_; }
  std::vector<std::string> EventStrings() const;
  void ClearEvents() { events_.clear(); }
  void SetRecording(bool recording) { recording_ = recording; }
  const MachineDescription& Machine() const { return machine_; }
  // Counts a register read against read_fails_every: true when this one
  // fails, as the hardware-access library's read does now and then.
  bool ReadFailsNow();

 private:
  void Record(ProcessorEvent event) {
    if (recording_) events_.push_back(event);
  }
  // What fixed counter 1 or 2 of cpu has counted since it was last brought
  // up to date.
  uint64_t PendingCount(int cpu, uint32_t index) const;
  // Adds the pending counts, so that a change of the counters, of their
  // enable bits or of the activity takes effect from now on.
  void SyncCounters(int cpu);
  void PlaceBusRatio(int cpu);

  MachineDescription machine_;
  const MachineTime* time_;
  uint32_t processMask_;
  uint32_t threadMask_;  // 0 until set: the thread follows the process
  std::map<int, std::map<uint32_t, uint64_t>> msr_;
  std::map<int, ProcessorActivity> activity_;
  std::map<int, int64_t> countersSyncedAt_;  // simulated microseconds
  std::vector<ProcessorEvent> events_;
  bool recording_;
  int readsSinceFailure_ = 0;
};

}  // namespace korvath
