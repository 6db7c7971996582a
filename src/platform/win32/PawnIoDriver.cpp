#include "platform/win32/PawnIoDriver.h"

#include <shlobj.h>

#include <utility>
#include <vector>

#include "platform/win32/HardwareAccessLibrary.h"

namespace korvath {
namespace {

// Module files are a few kilobytes; anything this large is not one.
constexpr LONGLONG kMaxModuleBytes = 16 * 1024 * 1024;

std::wstring WithSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

// A folder the installer recorded under HKLM, in the given registry view
// (KEY_WOW64_64KEY or KEY_WOW64_32KEY); empty when it is not there.
std::wstring FolderFromRegistry(const wchar_t* key, const wchar_t* name, REGSAM view) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS) return {};
  wchar_t value[MAX_PATH + 1] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  LSTATUS status = RegGetValueW(handle, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS) return {};
  std::wstring folder(value);
  // Installers now and then write the path in quotes.
  if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
    folder = folder.substr(1, folder.size() - 2);
  }
  return folder;
}

bool ReadModuleFile(const std::wstring& path, std::vector<UCHAR>* bytes) {
  HandleHolder file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxModuleBytes) return false;
  bytes->resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  return ReadFile(file.Get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
         read == bytes->size();
}

template <typename Entry>
Entry Bind(HMODULE module, const char* name) {
  FARPROC address = GetProcAddress(module, name);
  return address == nullptr ? nullptr : reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

std::wstring PawnIoInstallFolder() {
  // The installer keeps its folder as Install_Dir in its own key; a 32-bit
  // installer's key lies in the 32-bit view (WOW6432Node).
  const std::wstring recorded[] = {
      FolderFromRegistry(kPawnIoKey, L"Install_Dir", KEY_WOW64_64KEY),
      FolderFromRegistry(kPawnIoKey, L"Install_Dir", KEY_WOW64_32KEY),
      FolderFromRegistry(kPawnIoUninstallKey, L"InstallLocation", KEY_WOW64_64KEY),
  };
  for (const std::wstring& folder : recorded) {
    if (IsFullPath(folder)) return WithSeparator(folder);
  }
  wchar_t programFiles[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles))) {
    std::wstring folder = WithSeparator(programFiles) + L"PawnIO";
    if (IsFullPath(folder)) return WithSeparator(folder);
  }
  return {};
}

PawnIoDriver::~PawnIoDriver() { Close(); }

bool PawnIoDriver::Open(const std::wstring& installFolder, const std::wstring& modulePath) {
  Close();
  // The module first: without it there is nothing to open the driver for.
  std::vector<UCHAR> blob;
  if (!IsFullPath(modulePath) || !ReadModuleFile(modulePath, &blob)) return false;
  // Only by full path: the library talks to a kernel driver.
  if (!IsFullPath(installFolder)) return false;
  module_.Reset(LoadLibraryExW((WithSeparator(installFolder) + kPawnIoLibraryName).c_str(), nullptr,
                               LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module_) return false;
  open_ = Bind<OpenEntry>(module_.Get(), "pawnio_open");
  load_ = Bind<LoadEntry>(module_.Get(), "pawnio_load");
  execute_ = Bind<ExecuteEntry>(module_.Get(), "pawnio_execute");
  close_ = Bind<CloseEntry>(module_.Get(), "pawnio_close");
  HANDLE handle = nullptr;
  if (!open_ || !load_ || !execute_ || !close_ || FAILED(open_(&handle)) || handle == nullptr) {
    Unload();
    return false;
  }
  DriverHandle opened(handle, DriverCloser(close_));
  if (FAILED(load_(opened.get(), blob.data(), blob.size()))) {
    opened.reset();
    Unload();
    return false;
  }
  handle_ = std::move(opened);
  return true;
}

bool PawnIoDriver::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
  ULONG64 in[1] = {index};
  ULONG64 out[1] = {0};
  SIZE_T returned = 0;
  bool read = handle_ != nullptr && SUCCEEDED(execute_(handle_.get(), "ioctl_read_msr", in, 1, out, 1, &returned)) &&
              returned >= 1;
  uint64_t value = read ? out[0] : 0;
  *low = static_cast<uint32_t>(value);
  *high = static_cast<uint32_t>(value >> 32);
  return read;
}

void PawnIoDriver::Close() {
  handle_.reset();
  Unload();
}

void PawnIoDriver::Unload() {
  module_.Reset();
  open_ = nullptr;
  load_ = nullptr;
  execute_ = nullptr;
  close_ = nullptr;
}

}  // namespace korvath
