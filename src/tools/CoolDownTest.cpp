#include "tools/CoolDownTest.h"

#include <cmath>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr int kHeatUpRow = 0;
constexpr int kStopPrime95Row = 7;   // Test #8: the last one under load
constexpr int kIdleRow = 9;          // Test #10: idle, nothing loads it
constexpr int kHeatUpRecordTick = 200;
// The heat-up's load is the mean of its last 40 ticks.
constexpr int kHeatUpFirstLoadTick = 160;
// Until then the status says the stress program is still to be started,
// unless the cores have visibly warmed.
constexpr int kHeatUpQuietTicks = 19;
constexpr int kHeatUpWarmingDegrees = 4;
constexpr int kPrime95WatchEndTick = 522;
// 40 samples per row.
constexpr double kMeanOfSamples = 0.025;

}  // namespace

const CoolDownPhase kCoolDownPhases[kCoolDownRows] = {
    {1, 199, 200, "Heat Up Phase = %d%%", 4000.0, "Cool Down Test Begins.", 30},
    {206, 245, 246, "Test #2 = %d", 3500.0, "Test #3 Begins.", 28},
    {252, 291, 292, "Test #3 = %d", 3000.0, "Test #4 Begins.", 26},
    {298, 337, 338, "Test #4 = %d", 2500.0, "Test #5 Begins.", 24},
    {344, 383, 384, "Test #5 = %d", 2000.0, "Test #6 Begins.", 22},
    {390, 429, 430, "Test #6 = %d", 1500.0, "Test #7 Begins.", 20},
    {436, 475, 476, "Test #7 = %d", 1000.0, "Test #8 Begins.", 18},
    {482, 521, 522, "Test #8 = %d", 500.0, "Stopping Prime95", -1},
    {528, 567, 568, "Test #9 = %d", -1.0, "Final Idle Test Begins", static_cast<int>(kClockModulationOff)},
    {574, 613, 614, "Test #10 = %d", -1.0, nullptr, -1},
};

void CoolDownTest::Prepare(const int (&idleDistances)[kCoreSlots], const bool (&present)[kCoreSlots]) {
  idleSum_ = 0;
  presentCores_ = 0;
  for (int core = 0; core < kCoreSlots; ++core) {
    idleSum_ += idleDistances[core];
    present_[core] = present[core];
    if (present[core]) ++presentCores_;
    minimumDistance_[core] = 100;
  }
}

void CoolDownTest::Begin() {
  tick_ = 0;
  for (int& sum : sums_) sum = 0;
  // A run stopped during a load window would otherwise carry its samples
  // into the next run's first row.
  loadAccumulator_ = 0.0;
}

void CoolDownTest::Tick(CoolDownHost& host) {
  int distances[kCoreSlots] = {};
  host.ReadCoreDistances(distances);
  ++tick_;
  if (tick_ < kHeatUpRecordTick) HeatUp(distances, host);
  Sample(distances, host);
  for (int row = 0; row < kCoolDownRows; ++row) {
    if (tick_ == kCoolDownPhases[row].recordTick) Record(row, host);
  }
  WatchPrime95(host);
}

void CoolDownTest::HeatUp(const int (&distances)[kCoreSlots], CoolDownHost& host) {
  int sum = 0;
  for (int distance : distances) sum += distance;
  bool warming = presentCores_ > 0 && (idleSum_ - sum) / presentCores_ > kHeatUpWarmingDegrees;
  if (tick_ > kHeatUpQuietTicks || warming) {
    table_.status = Format(kCoolDownPhases[kHeatUpRow].countingFormat, tick_ / 2);
  }
  for (int core = 0; core < kCoreSlots; ++core) {
    if (distances[core] < minimumDistance_[core]) minimumDistance_[core] = distances[core];
  }
  if (tick_ >= kHeatUpFirstLoadTick) loadAccumulator_ += host.MeanProcessorLoad();
}

void CoolDownTest::Sample(const int (&distances)[kCoreSlots], CoolDownHost& host) {
  for (int row = kHeatUpRow + 1; row < kCoolDownRows; ++row) {
    const CoolDownPhase& phase = kCoolDownPhases[row];
    if (tick_ < phase.firstSample || tick_ > phase.lastSample) continue;
    for (int core = 0; core < kCoreSlots; ++core) sums_[core] += distances[core];
    if (row != kIdleRow) loadAccumulator_ += host.MeanProcessorLoad();
    table_.status = Format(phase.countingFormat, tick_ - phase.firstSample + 1);
  }
}

void CoolDownTest::Record(int row, CoolDownHost& host) {
  const CoolDownPhase& phase = kCoolDownPhases[row];
  if (row == kIdleRow) table_.loadCells[row] = "Idle";
  for (int core = 0; core < kCoreSlots; ++core) {
    if (!present_[core]) continue;
    double value = row == kHeatUpRow ? static_cast<double>(minimumDistance_[core]) : sums_[core] * kMeanOfSamples;
    table_.coreCells[row][core] = Format("%.1f", value);
  }
  if (row != kIdleRow) {
    // Without load figures the row shows the duty cycle's nominal load.
    if (phase.substituteLoad >= 0.0 && std::trunc(loadAccumulator_) == 0.0) loadAccumulator_ = phase.substituteLoad;
    table_.loadCells[row] = Format("%.1f%%", loadAccumulator_ * kMeanOfSamples);
    loadAccumulator_ = 0.0;
  }

  if (row == kIdleRow) {
    host.StopTest();
    return;
  }
  table_.status = phase.nextStatus;
  if (row == kStopPrime95Row) host.TerminatePrime95();
  if (phase.nextModulation >= 0) host.SetClockModulation(static_cast<uint32_t>(phase.nextModulation));
  for (int& sum : sums_) sum = 0;
}

void CoolDownTest::WatchPrime95(CoolDownHost& host) {
  if (tick_ == 1) {
    if (!host.IsPrime95Running()) {
      host.StopTest();
      host.ShowError("Prime 95 may already be open.\n\nExit Prime 95 before starting the\nCPU Cool Down Test.");
    }
    return;
  }
  // From tick 522 on the test has ended the stress program itself.
  if (tick_ < kPrime95WatchEndTick && tick_ % 2 == 1 && !host.IsPrime95Running()) {
    host.StopTest();
    host.ShowError("Prime 95 was Cancelled.");
  }
}

}  // namespace korvath
