#include "ResourceCount.h"

#include <winternl.h>

#include <algorithm>
#include <vector>

namespace probe {
namespace {

// One entry of the GDI handle table that the process environment block
// points to (the layout Windows and Wine share on 64 bits).
struct GdiHandleEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;  // 0 for a free entry
  UCHAR flags;
  UINT64 userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle entry layout");

constexpr size_t kGdiHandleCount = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;  // 64-bit PEB

using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

std::optional<DWORD> CountGdiTable(HANDLE process) {
  auto query = reinterpret_cast<QueryInformationProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  if (query == nullptr) return std::nullopt;
  PROCESS_BASIC_INFORMATION basic{};
  if (query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0 ||
      basic.PebBaseAddress == nullptr) {
    return std::nullopt;
  }
  UINT64 table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                         sizeof(table), &read) ||
      read != sizeof(table) || table == 0) {
    return std::nullopt;
  }
  std::vector<GdiHandleEntry> entries(kGdiHandleCount);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)), entries.data(),
                         entries.size() * sizeof(GdiHandleEntry), &read) ||
      read != entries.size() * sizeof(GdiHandleEntry)) {
    return std::nullopt;
  }
  DWORD live = 0;
  for (const GdiHandleEntry& entry : entries) {
    if (entry.type != 0) ++live;
  }
  return live;
}

// The layout of SystemHandleInformation (class 16), on 64 bits.
struct SystemHandleEntry {
  ULONG ownerProcessId;
  UCHAR objectType;
  UCHAR flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct SystemHandleList {
  ULONG count;
  SystemHandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

}  // namespace

std::optional<DWORD> CountKernelHandles(DWORD processId) {
  auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return std::nullopt;
  std::vector<BYTE> buffer(1 << 16);
  for (;;) {
    ULONG needed = 0;
    NTSTATUS status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      if (buffer.size() >= (size_t{1} << 28)) return std::nullopt;
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
      continue;
    }
    if (status != 0) return std::nullopt;
    break;
  }
  const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
  DWORD count = 0;
  for (ULONG i = 0; i < list->count; ++i) {
    if (list->entries[i].ownerProcessId == processId) ++count;
  }
  return count;
}

bool KernelHandleCountWorks() {
  constexpr DWORD kBatch = 32;
  std::optional<DWORD> before = CountKernelHandles(GetCurrentProcessId());
  std::vector<HANDLE> events;
  for (DWORD i = 0; i < kBatch; ++i) events.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::optional<DWORD> during = CountKernelHandles(GetCurrentProcessId());
  for (HANDLE event : events) CloseHandle(event);
  std::optional<DWORD> after = CountKernelHandles(GetCurrentProcessId());
  return before && during && after && *during == *before + kBatch && *after == *before;
}

std::optional<ResourceCounts> CountResources(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (process == nullptr) return std::nullopt;
  ResourceCounts counts;
  counts.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
  counts.userObjects = GetGuiResources(process, GR_USEROBJECTS);
  counts.gdiTableEntries = CountGdiTable(process);
  CloseHandle(process);
  return counts;
}

bool GdiTableCountWorks() {
  constexpr DWORD kBatch = 64;
  std::optional<ResourceCounts> before = CountResources(GetCurrentProcessId());
  if (!before || !before->gdiTableEntries) return false;
  std::vector<HBITMAP> bitmaps;
  for (DWORD i = 0; i < kBatch; ++i) bitmaps.push_back(CreateBitmap(4, 4, 1, 1, nullptr));
  std::optional<ResourceCounts> during = CountResources(GetCurrentProcessId());
  for (HBITMAP bitmap : bitmaps) DeleteObject(bitmap);
  std::optional<ResourceCounts> after = CountResources(GetCurrentProcessId());
  return during && during->gdiTableEntries && after && after->gdiTableEntries &&
         *during->gdiTableEntries == *before->gdiTableEntries + kBatch &&
         *after->gdiTableEntries == *before->gdiTableEntries;
}

}  // namespace probe
