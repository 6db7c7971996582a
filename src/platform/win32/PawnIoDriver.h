// The read-only register driver: PawnIO's user-mode library, loaded from the
// driver's own install folder by full path, running the signed MSR module
// that lies beside the executable. Used only where Windows refuses the
// hardware-access library's driver; 64-bit Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win32/Win32Holders.h"

namespace korvath {

inline constexpr wchar_t kPawnIoLibraryName[] = L"PawnIOLib.dll";
// The module is signed by the driver's makers; the driver loads no other.
inline constexpr wchar_t kMsrModuleFileName[] = L"IntelMSR.bin";
inline constexpr wchar_t kPawnIoKey[] = L"SOFTWARE\\PawnIO";
inline constexpr wchar_t kPawnIoUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PawnIO";

// The install folder: Install_Dir under HKLM\SOFTWARE\PawnIO (64-bit view,
// then the 32-bit one), else the uninstall entry's InstallLocation, else the
// Program Files folder's PawnIO; empty when none is a full path.
std::wstring PawnIoInstallFolder();

class PawnIoDriver {
 public:
  PawnIoDriver() = default;
  ~PawnIoDriver();
  PawnIoDriver(const PawnIoDriver&) = delete;
  PawnIoDriver& operator=(const PawnIoDriver&) = delete;

  // Loads the library from installFolder, opens the driver and loads the
  // module file into it. False, with nothing left open, when any step fails.
  bool Open(const std::wstring& installFolder, const std::wstring& modulePath);
  bool IsOpen() const { return handle_ != nullptr; }

  // On the logical processor the calling thread runs on. False, with 0 in
  // both halves, when the module refuses the register or the call fails.
  bool ReadMsr(uint32_t index, uint32_t* low, uint32_t* high);
  void Close();

 private:
  using OpenEntry = HRESULT(WINAPI*)(HANDLE* handle);
  using LoadEntry = HRESULT(WINAPI*)(HANDLE handle, const UCHAR* blob, SIZE_T size);
  using ExecuteEntry = HRESULT(WINAPI*)(HANDLE handle, PCSTR name, const ULONG64* in, SIZE_T inCount,
                                        ULONG64* out, SIZE_T outCount, SIZE_T* returnedCount);
  using CloseEntry = HRESULT(WINAPI*)(HANDLE handle);

  // The driver handle belongs to the library: only the library's own close
  // ends it, and that must run while the library is still loaded.
  struct DriverCloser {
    DriverCloser() : close(nullptr) {}
    explicit DriverCloser(CloseEntry entry) : close(entry) {}
    void operator()(HANDLE handle) const {
      if (close != nullptr) close(handle);
    }
    CloseEntry close;
  };
  using DriverHandle = std::unique_ptr<void, DriverCloser>;

  void Unload();

  ModuleHolder module_;
  // After module_, so that it is closed first even on destruction.
  DriverHandle handle_;
  OpenEntry open_ = nullptr;
  LoadEntry load_ = nullptr;
  ExecuteEntry execute_ = nullptr;
  CloseEntry close_ = nullptr;
};

}  // namespace korvath
