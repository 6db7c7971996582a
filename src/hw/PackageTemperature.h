// The package's own thermal sensor (0x1B1), on processors that have one: one
// reading per package and cycle, in degrees below that package's TjMax.
#pragma once

#include <array>
#include <optional>
#include <span>

namespace korvath {

class MsrAccess;
struct CpuInfo;

inline constexpr int kMaxPackages = 16;

// The logical processor each package is read through, in package order.
struct PackageList {
  int count = 0;
  std::array<int, kMaxPackages> processor = {};
};

// Every package of the topology, each read through its first logical
// processor.
PackageList ListPackages(const CpuInfo& cpu);

class PackageTemperatures {
 public:
  // Start-up, once the processor is identified: whether it has the sensor
  // (newer processors whose leaf 6 says so), the packages, and each
  // package's TjMax from 0x1A2, else fallbackTjMax.
  void Identify(MsrAccess& access, int fallbackTjMax);

  // Once per cycle; a package whose register could not be read, or whose
  // reading the processor does not mark valid, has no temperature until the
  // next cycle.
  void Sample(MsrAccess& access);

  bool present() const { return present_; }
  // One entry per package; empty where there is no sensor.
  std::span<const std::optional<int>> temperatures() const {
    return {temperature_.data(), present_ ? static_cast<size_t>(packages_.count) : 0u};
  }
  int packageCount() const { return packages_.count; }
  // Empty where there is no sensor or the read of this cycle failed.
  std::optional<int> temperature(int package) const { return temperature_[static_cast<size_t>(package)]; }
  int tjMax(int package) const { return tjMax_[static_cast<size_t>(package)]; }

 private:
  bool present_ = false;
  PackageList packages_;
  std::array<int, kMaxPackages> tjMax_ = {};
  std::array<std::optional<int>, kMaxPackages> temperature_ = {};
};

}  // namespace korvath
