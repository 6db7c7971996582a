// A Processor that serves a machine description and records every call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
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
    kSetThreadGroupAffinity,
    kYield,
    kCpuid,
    kReadTsc,
    kReadMsr,
    kWriteMsr,
    kOpen,
    kStatus,
    kMsrSupport,
    kClose,
    kOpenReadOnly,
  };
  Kind kind;
  int cpu = -1;          // logical processor the call ran on (register and CPUID work)
  uint64_t mask = 0;     // affinity calls
  uint32_t index = 0;    // register index or CPUID leaf
  uint64_t value = 0;    // value read or written
  int group = 0;         // group affinity calls

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
  void SetProcessAffinity(uint64_t mask) override;
  bool SetThreadAffinity(uint64_t mask) override;
  int ProcessorGroupCount() override { return static_cast<int>(machine_.groups.size()); }
  uint64_t GroupProcessorMask(int group) override;
  int CurrentThreadGroup() override { return threadGroup_; }
  // Within group 0 the process mask applies as for SetThreadAffinity.
  bool SetThreadGroupAffinity(int group, uint64_t mask) override;
  void YieldToScheduler() override;
  void OpenHardwareAccess() override;
  int GetHardwareAccessStatus() override;
  bool QueryMsrSupport() override;
  bool ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) override;
  void WriteMsr(uint32_t index, uint32_t low, uint32_t high) override;
  void CloseHardwareAccess() override;
  // As the machine file's [driver] read_only_driver says; once open, reads
  // outside the module's list fail and writes change nothing.
  bool OpenReadOnlyAccess() override;

  // The logical processor the calling thread runs on now: the lowest bit of
  // the thread mask within the process mask (within its group's
  // processors in a group after the first).
  int CurrentCpu() const;
  uint64_t ProcessMask() const { return processMask_; }
  uint64_t ThreadMask() const { return threadMask_; }
  // Logical processors of every group.
  int ProcessorTotal() const { return static_cast<int>(rank_.size()); }

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
  // Thread affinities naming any processor of mask are refused from now on,
  // whatever the process mask, as security software may refuse them.
  void RefuseThreadAffinity(uint64_t mask) { refusedThreadMask_ = mask; }
  // Counts a register read against read_fails_every: true when this one
  // fails, as the hardware-access library's read does now and then.
  bool ReadFailsNow();

  // Work on a thread of its own (the movement test's load threads) keeps
  // one more logical processor fully busy from BeginWork to EndWork, on a
  // machine with [thermal] or [schedule]. Callable from any thread.
  void BeginWork() { RecordWork(+1); }
  void EndWork() { RecordWork(-1); }
  // Asked at most once a simulated second: while it answers true a stress
  // program keeps every processor fully busy.
  void SetStressProbe(std::function<bool()> probe) { stressProbe_ = std::move(probe); }
  // The sensor readout of a processor with a thermal response, as it stands.
  double SensorReadout(int cpu) const;

 private:
  void Record(ProcessorEvent event) {
    if (recording_) events_.push_back(event);
  }
  // What fixed counter 1 or 2 of cpu has counted since it was last brought
  // up to date, until the given simulated time (now when negative).
  uint64_t PendingCount(int cpu, uint32_t index, int64_t until = -1) const;
  // Adds the pending counts, so that a change of the counters, of their
  // enable bits or of the activity takes effect from then on.
  void SyncCounters(int cpu, int64_t until = -1);
  void PlaceBusRatio(int cpu);

  // The living machine: the activity of cpu at a simulated time within the
  // stretch the model stands in (the schedule's entry, full load while
  // outside work keeps it busy), and the model brought up to now, stretch by
  // stretch, so that counters and sensors see each change when it happened.
  ProcessorActivity EffectiveActivity(int cpu, int64_t at) const;
  size_t ScheduleEntry(int64_t at) const;
  void Advance();
  void StepTo(int64_t until);
  void RecordWork(int delta);

  MachineDescription machine_;
  const MachineTime* time_;
  uint64_t processMask_;
  uint64_t threadMask_;  // 0 until set: the thread follows the process
  int threadGroup_ = 0;
  std::vector<int> groupFirst_;
  std::map<int, std::map<uint32_t, uint64_t>> msr_;
  std::map<int, ProcessorActivity> activity_;
  std::map<int, int64_t> countersSyncedAt_;  // simulated microseconds
  std::vector<ProcessorEvent> events_;
  bool recording_;
  int readsSinceFailure_ = 0;
  uint64_t refusedThreadMask_ = 0;
  bool readOnly_ = false;

  bool living_ = false;
  int64_t startedAt_ = 0;   // simulated microseconds; the schedule's origin
  int64_t advancedTo_ = 0;  // how far the model stands
  std::map<int, ThermalResponse> thermal_;
  std::map<int, double> readout_;
  std::map<int, int> rank_;  // place of each logical processor among the system's
  int workers_ = 0;
  int busyProcessors_ = 0;
  std::function<bool()> stressProbe_;
  bool stressRunning_ = false;
  int64_t stressProbedAt_ = 0;
  bool stressProbed_ = false;
  struct WorkEvent {
    int64_t at;
    int delta;
  };
  std::mutex workMutex_;
  std::vector<WorkEvent> workEvents_;  // guarded by workMutex_
  std::vector<WorkEvent> takenEvents_;
};

}  // namespace korvath
