// A GPU driver that serves the [gpu] temperatures of a machine description
// and records every call. Without a [gpu] section the library is missing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/GpuSource.h"
#include "platform/sim/MachineDescription.h"

namespace korvath {

enum class GpuCall {
  kLoad,
  kInitialize,
  kGetDisplayDriverVersion,
  kEnumNvidiaDisplayHandle,
  kGetPhysicalGpusFromDisplay,
  kGetThermalSettings,
};

class SimulatedGpuSource : public GpuSource {
 public:
  // The handles this driver gives out, so that a test can recognise them.
  static constexpr uintptr_t kDisplayHandle = 0xD1500;
  static uintptr_t GpuHandle(int gpu) { return 0x6000 + 0x10 * static_cast<uintptr_t>(gpu); }

  explicit SimulatedGpuSource(const MachineDescription& machine);

  bool Load() override;
  int Initialize() override;
  int GetDisplayDriverVersion(uint32_t recordVersion) override;
  int EnumNvidiaDisplayHandle(int index, uintptr_t* display) override;
  int GetPhysicalGpusFromDisplay(uintptr_t display, uintptr_t (&gpus)[kGpuMaxPhysicalGpus],
                                 uint32_t* count) override;
  int GetThermalSettings(uintptr_t gpu, uint32_t sensorIndex, uint32_t recordVersion,
                         uint32_t* currentTemperature) override;

  // From now on every call of this kind answers code (Load answers false).
  // Initialize still succeeds with a positive code, as with a driver warning.
  void FailCall(GpuCall call, int code = kGpuError);
  // GPU gpu answers goodReadings more readings, then fails every one.
  void FailReadingsAfter(int gpu, int goodReadings);
  void SetTemperature(int gpu, uint32_t celsius);
  // Claims count GPUs on the display whatever the machine has, as a
  // misbehaving driver might; only the machine's GPUs answer readings.
  void ReportGpuCount(uint32_t count) { reportedCount_ = count; }

  // One line per call: "load", "initialize", "driver-version 0x1008C",
  // "enum-display 0", "physical-gpus 0xD1500", "thermal gpu1 sensor0 0x10044".
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // A long run keeps no record, so that its memory does not grow with every
  // reading.
  void SetRecording(bool recording) { recording_ = recording; }

 private:
  int FailureOf(GpuCall call) const;
  int GpuIndexOf(uintptr_t handle) const;

  bool present_;
  bool loaded_ = false;
  bool initialized_ = false;
  std::vector<uint32_t> temperatures_;
  std::map<GpuCall, int> failures_;
  std::map<int, int> readingsLeft_;  // per GPU, when its readings are to fail
  int64_t reportedCount_ = -1;       // -1: the machine's own count
  std::vector<std::string> calls_;
  bool recording_ = true;
};

}  // namespace korvath
