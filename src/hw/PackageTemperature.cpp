#include "hw/PackageTemperature.h"

#include "hw/MsrAccess.h"
#include "hw/ProcessorSupport.h"

namespace korvath {
namespace {

constexpr uint32_t kReadingValid = 1u << 31;

}  // namespace

PackageList ListPackages(const CpuInfo& cpu) {
  PackageList list;
  for (const CpuPackage& package : cpu.packages) {
    if (list.count == kMaxPackages) break;
    list.processor[static_cast<size_t>(list.count++)] = package.firstProcessor;
  }
  return list;
}

void PackageTemperatures::Identify(MsrAccess& access, int fallbackTjMax) {
  packages_ = ListPackages(access.cpu());
  present_ = access.cpu().newerProcessor && packages_.count > 0 && HasPackageThermalSensor(access.processor());
  if (!present_) return;
  for (int p = 0; p < packages_.count; ++p) {
    uint32_t low = 0;
    uint32_t high = 0;
    // A package that cannot be pinned reads nothing: another package's
    // register is no answer for it.
    bool read = access.PinToProcessor(packages_.processor[static_cast<size_t>(p)]) &&
                access.ReadMsr(kMsrTemperatureTarget, &low, &high);
    int target = read ? static_cast<int>((low >> 16) & 0xFF) : 0;
    tjMax_[static_cast<size_t>(p)] = target != 0 ? target : fallbackTjMax;
  }
  access.RestoreAffinity();
}

void PackageTemperatures::Sample(MsrAccess& access) {
  if (!present_) return;
  for (int p = 0; p < packages_.count; ++p) {
    const size_t at = static_cast<size_t>(p);
    uint32_t low = 0;
    uint32_t high = 0;
    bool read = access.PinToProcessor(packages_.processor[at]) && access.ReadMsr(kMsrPackageThermStatus, &low, &high);
    temperature_[at].reset();
    if (read && (low & kReadingValid)) temperature_[at] = tjMax_[at] - static_cast<int>((low >> 16) & 0x7F);
  }
  access.RestoreAffinity();
}

}  // namespace korvath
