#include "platform/sim/SimulatedGpuSource.h"

#include "platform/TextFormat.h"

namespace korvath {

SimulatedGpuSource::SimulatedGpuSource(const MachineDescription& machine)
    : present_(machine.hasGpu),
      temperatures_(machine.gpuTemperatures.begin(), machine.gpuTemperatures.end()) {
  if (temperatures_.size() > kGpuMaxPhysicalGpus) temperatures_.resize(kGpuMaxPhysicalGpus);
  if (machine.gpuFailAfter) {
    for (size_t gpu = 0; gpu < temperatures_.size(); ++gpu) {
      FailReadingsAfter(static_cast<int>(gpu), *machine.gpuFailAfter);
    }
  }
}

void SimulatedGpuSource::FailCall(GpuCall call, int code) { failures_[call] = code; }

void SimulatedGpuSource::FailReadingsAfter(int gpu, int goodReadings) {
  readingsLeft_[gpu] = goodReadings;
}

void SimulatedGpuSource::SetTemperature(int gpu, uint32_t celsius) {
  if (gpu >= 0 && static_cast<size_t>(gpu) < temperatures_.size()) temperatures_[gpu] = celsius;
}

int SimulatedGpuSource::FailureOf(GpuCall call) const {
  auto found = failures_.find(call);
  return found == failures_.end() ? kGpuOk : found->second;
}

int SimulatedGpuSource::GpuIndexOf(uintptr_t handle) const {
  for (size_t i = 0; i < temperatures_.size(); ++i) {
    if (GpuHandle(static_cast<int>(i)) == handle) return static_cast<int>(i);
  }
  return -1;
}

bool SimulatedGpuSource::Load() {
  calls_.push_back("load");
  loaded_ = present_ && FailureOf(GpuCall::kLoad) == kGpuOk;
  return loaded_;
}

int SimulatedGpuSource::Initialize() {
  calls_.push_back("initialize");
  if (!loaded_) return kGpuLibraryNotInitialized;
  int answer = FailureOf(GpuCall::kInitialize);
  if (answer < 0) return answer;
  // The library is installed, but there is no GPU for it to drive.
  if (temperatures_.empty()) return kGpuDeviceNotFound;
  initialized_ = true;
  return answer;  // a positive answer is a warning, not a failure
}

int SimulatedGpuSource::GetDisplayDriverVersion(uint32_t recordVersion) {
  calls_.push_back(Format("driver-version 0x%X", recordVersion));
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (int failure = FailureOf(GpuCall::kGetDisplayDriverVersion)) return failure;
  if (recordVersion != kGpuDriverVersionRecordVersion) return kGpuIncompatibleRecordVersion;
  return kGpuOk;
}

int SimulatedGpuSource::EnumNvidiaDisplayHandle(int index, uintptr_t* display) {
  calls_.push_back(Format("enum-display %d", index));
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (int failure = FailureOf(GpuCall::kEnumNvidiaDisplayHandle)) return failure;
  if (display == nullptr) return kGpuInvalidArgument;
  if (index != 0) return kGpuDeviceNotFound;  // one display on the simulated machine
  *display = kDisplayHandle;
  return kGpuOk;
}

int SimulatedGpuSource::GetPhysicalGpusFromDisplay(uintptr_t display,
                                                   uintptr_t (&gpus)[kGpuMaxPhysicalGpus],
                                                   uint32_t* count) {
  calls_.push_back(Format("physical-gpus 0x%llX", static_cast<unsigned long long>(display)));
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (int failure = FailureOf(GpuCall::kGetPhysicalGpusFromDisplay)) return failure;
  if (count == nullptr) return kGpuInvalidArgument;
  if (display != kDisplayHandle) return kGpuInvalidHandle;
  for (size_t i = 0; i < temperatures_.size(); ++i) gpus[i] = GpuHandle(static_cast<int>(i));
  *count = reportedCount_ >= 0 ? static_cast<uint32_t>(reportedCount_)
                               : static_cast<uint32_t>(temperatures_.size());
  return kGpuOk;
}

int SimulatedGpuSource::GetThermalSettings(uintptr_t gpu, uint32_t sensorIndex,
                                           uint32_t recordVersion, uint32_t* currentTemperature) {
  int index = GpuIndexOf(gpu);
  if (recording_) calls_.push_back(Format("thermal gpu%d sensor%u 0x%X", index, sensorIndex, recordVersion));
  if (!initialized_) return kGpuLibraryNotInitialized;
  if (int failure = FailureOf(GpuCall::kGetThermalSettings)) return failure;
  if (currentTemperature == nullptr) return kGpuInvalidArgument;
  if (recordVersion != kGpuThermalSettingsRecordVersion) return kGpuIncompatibleRecordVersion;
  if (index < 0) return kGpuInvalidHandle;
  if (sensorIndex != 0) return kGpuInvalidArgument;  // each GPU has one sensor
  auto left = readingsLeft_.find(index);
  if (left != readingsLeft_.end()) {
    if (left->second == 0) return kGpuError;
    --left->second;
  }
  *currentTemperature = temperatures_[index];
  return kGpuOk;
}

}  // namespace korvath
