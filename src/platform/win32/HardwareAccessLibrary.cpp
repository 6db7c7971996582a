#include "platform/win32/HardwareAccessLibrary.h"

#include "platform/Processor.h"

namespace korvath {

bool IsFullPath(const std::wstring& path) {
  bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  bool unc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
  return drive || unc;
}

HardwareAccessLibrary::HardwareAccessLibrary(const std::wstring& fullPath) {
  // A bare or relative name would go through the search order, which
  // includes folders a non-administrator can write to.
  if (!IsFullPath(fullPath)) return;
  module_.Reset(LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module_) return;
  bound_ = Bind(&open_, kOrdinalOpen) && Bind(&status_, kOrdinalGetStatus) &&
           Bind(&queryMsrSupport_, kOrdinalQueryMsrSupport) && Bind(&readMsr_, kOrdinalReadMsr) &&
           Bind(&writeMsr_, kOrdinalWriteMsr) && Bind(&close_, kOrdinalClose);
}

template <typename Entry>
bool HardwareAccessLibrary::Bind(Entry* entry, int ordinal) {
  FARPROC address = GetProcAddress(module_.Get(), MAKEINTRESOURCEA(ordinal));
  if (address == nullptr) return false;
  // Through void(*)() so that the compiler accepts the change of signature.
  *entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(address));
  return true;
}

void HardwareAccessLibrary::Open() {
  if (bound_) open_();
}

int HardwareAccessLibrary::GetStatus() {
  if (!bound_) return kHardwareAccessDriverNotFound;
  return static_cast<int>(status_());
}

bool HardwareAccessLibrary::QueryMsrSupport() { return bound_ && queryMsrSupport_() != FALSE; }

bool HardwareAccessLibrary::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
  DWORD lowValue = 0;
  DWORD highValue = 0;
  bool read = bound_ && readMsr_(index, &lowValue, &highValue) != FALSE;
  if (!read) {
    lowValue = 0;
    highValue = 0;
  }
  *low = lowValue;
  *high = highValue;
  return read;
}

void HardwareAccessLibrary::WriteMsr(uint32_t index, uint32_t low, uint32_t high) {
  if (bound_) writeMsr_(index, low, high);
}

void HardwareAccessLibrary::Close() {
  if (bound_) close_();
}

}  // namespace korvath
