// The ten-minute CPU cool down test: heat up under the stress program, step
// the clock modulation down through seven duty cycles, then measure idle.
// Driven one timer tick at a time by the Sensor Test.
#pragma once

#include <cstdint>
#include <string>

#include "config/ClockModulation.h"
#include "hw/CpuInfo.h"

namespace korvath {

inline constexpr int kCoolDownRows = 10;
inline constexpr int kCoolDownLastTick = 614;

// The dialog's texts that the test writes.
struct CoolDownTable {
  std::string status;
  std::string coreCells[kCoolDownRows][kCoreSlots];
  std::string loadCells[kCoolDownRows];
};

// What a tick needs from the dialog around it.
class CoolDownHost {
 public:
  virtual ~CoolDownHost() = default;
  // Distance to TjMax per core slot, 0 for absent slots.
  virtual void ReadCoreDistances(int (&distances)[kCoreSlots]) = 0;
  // Percent, averaged over the processors.
  virtual double MeanProcessorLoad() = 0;
  virtual void SetClockModulation(uint32_t value) = 0;
  virtual bool IsPrime95Running() = 0;
  virtual void TerminatePrime95() = 0;
  // Ends the test: timer off, saved modulation back, the final status.
  virtual void StopTest() = 0;
  virtual void ShowError(const std::string& text) = 0;
};

// One phase of the test: where it samples, when it records its row and what
// follows it.
struct CoolDownPhase {
  int firstSample;
  int lastSample;
  int recordTick;
  const char* countingFormat;
  double substituteLoad;  // < 0: none
  const char* nextStatus;
  int nextModulation;     // < 0: unchanged
};

extern const CoolDownPhase kCoolDownPhases[kCoolDownRows];

class CoolDownTest {
 public:
  explicit CoolDownTest(CoolDownTable& table) : table_(table) {}

  // When the dialog opens: the resting readings the heat-up compares with
  // and the core slots that show results. The minimum distances are kept
  // across runs from here on.
  void Prepare(const int (&idleDistances)[kCoreSlots], const bool (&present)[kCoreSlots]);
  // Start: the tick counter and the sums begin again.
  void Begin();
  void Tick(CoolDownHost& host);

  int tick() const { return tick_; }
  int presentCores() const { return presentCores_; }
  int minimumDistance(int core) const { return minimumDistance_[core]; }

 private:
  void HeatUp(const int (&distances)[kCoreSlots], CoolDownHost& host);
  void Sample(const int (&distances)[kCoreSlots], CoolDownHost& host);
  void Record(int row, CoolDownHost& host);
  void WatchPrime95(CoolDownHost& host);

  CoolDownTable& table_;
  int tick_ = 0;
  int idleSum_ = 0;
  int presentCores_ = 0;
  int minimumDistance_[kCoreSlots] = {100, 100, 100, 100};
  int sums_[kCoreSlots] = {};
  double loadAccumulator_ = 0.0;
  // Which core slots show results; the cells of absent ones stay empty.
  bool present_[kCoreSlots] = {};
};

}  // namespace korvath
