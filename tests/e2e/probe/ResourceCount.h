// How many GDI and window-manager objects another process holds, for the
// leak checks of the end-to-end tests.
#pragma once

#include <windows.h>

#include <optional>

namespace probe {

struct ResourceCounts {
  DWORD gdiObjects = 0;   // GetGuiResources(GR_GDIOBJECTS)
  DWORD userObjects = 0;  // GetGuiResources(GR_USEROBJECTS)
  // Live entries of the process's GDI handle table, read from its memory;
  // empty when the table cannot be found or read. Wine answers 0 to
  // GetGuiResources and keeps this table per process, so there this is the
  // count that means something (Windows shares the table across a session).
  std::optional<DWORD> gdiTableEntries;
};

// Nothing when the process cannot be opened.
std::optional<ResourceCounts> CountResources(DWORD processId);

// The process's entries in the system's handle list
// (NtQuerySystemInformation, SystemHandleInformation). Wine's server keeps
// that list and answers it, where GetProcessHandleCount of another process
// gives 0; nothing when the list cannot be had.
std::optional<DWORD> CountKernelHandles(DWORD processId);

// Whether that count follows this process's own handles exactly: opening and
// closing a batch of events must move it by the batch size.
bool KernelHandleCountWorks();

// Whether the table count follows this process's own objects exactly:
// creating and deleting a batch of bitmaps must move it by the batch size.
bool GdiTableCountWorks();

}  // namespace probe
