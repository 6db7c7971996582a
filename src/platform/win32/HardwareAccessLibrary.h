// The hardware-access library, loaded from one full path and bound by
// ordinal. Its kernel driver runs with administrator rights, so the library
// is never looked up through the DLL search order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/Win32Holders.h"

namespace korvath {

// The library that matches the executable's bitness.
#if defined(_WIN64)
inline constexpr wchar_t kHardwareAccessLibraryName[] = L"WinRing0x64.dll";
#else
inline constexpr wchar_t kHardwareAccessLibraryName[] = L"WinRing0.dll";
#endif

// Ordinals of the six entries we use.
enum HardwareAccessOrdinal : int {
  kOrdinalGetStatus = 1,
  kOrdinalOpen = 7,
  kOrdinalClose = 8,
  kOrdinalQueryMsrSupport = 11,
  kOrdinalReadMsr = 21,
  kOrdinalWriteMsr = 22,
};

class HardwareAccessLibrary {
 public:
  // Loads the library at fullPath; a relative or empty path loads nothing.
  explicit HardwareAccessLibrary(const std::wstring& fullPath);
  HardwareAccessLibrary(const HardwareAccessLibrary&) = delete;
  HardwareAccessLibrary& operator=(const HardwareAccessLibrary&) = delete;

  // True when the library loaded and every entry was found.
  bool IsBound() const { return bound_; }

  void Open();
  // 3 ("Driver Not Found") when the library or an entry is missing.
  int GetStatus();
  bool QueryMsrSupport();
  // The library's own result; both halves are 0 when the read fails.
  bool ReadMsr(uint32_t index, uint32_t* low, uint32_t* high);
  void WriteMsr(uint32_t index, uint32_t low, uint32_t high);
  void Close();

 private:
  using OpenEntry = BOOL(WINAPI*)();
  using StatusEntry = DWORD(WINAPI*)();
  using QueryMsrSupportEntry = BOOL(WINAPI*)();
  using ReadMsrEntry = BOOL(WINAPI*)(DWORD index, DWORD* low, DWORD* high);
  using WriteMsrEntry = BOOL(WINAPI*)(DWORD index, DWORD low, DWORD high);
  using CloseEntry = VOID(WINAPI*)();

  template <typename Entry>
  bool Bind(Entry* entry, int ordinal);

  ModuleHolder module_;
  bool bound_ = false;
  OpenEntry open_ = nullptr;
  StatusEntry status_ = nullptr;
  QueryMsrSupportEntry queryMsrSupport_ = nullptr;
  ReadMsrEntry readMsr_ = nullptr;
  WriteMsrEntry writeMsr_ = nullptr;
  CloseEntry close_ = nullptr;
};

// True for "C:\..." and "\\server\..." paths, the only ones we load from.
bool IsFullPath(const std::wstring& path);

}  // namespace korvath
