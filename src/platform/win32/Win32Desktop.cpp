#include "platform/win32/Win32Desktop.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "platform/TextFormat.h"

namespace korvath {
namespace {

constexpr size_t kPathBufferChars = 32768;

UINT IconFlag(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::kError: return MB_ICONERROR;
    case MessageBoxIcon::kInformation: return MB_ICONINFORMATION;
    case MessageBoxIcon::kWarning: return MB_ICONWARNING;
    case MessageBoxIcon::kQuestion: return MB_ICONQUESTION;
    case MessageBoxIcon::kNone: break;
  }
  return 0;
}

UINT ButtonFlag(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::kOkCancel: return MB_OKCANCEL;
    case MessageBoxButtons::kYesNo: return MB_YESNO;
    case MessageBoxButtons::kOk: break;
  }
  return MB_OK;
}

// "Desc|pattern|Desc|pattern||" to the NUL-separated form the dialog takes.
std::wstring FilterText(const std::string& filter) {
  std::wstring text = Widen(filter);
  for (wchar_t& c : text) {
    if (c == L'|') c = L'\0';
  }
  text.push_back(L'\0');
  return text;
}

// The file dialog makes the folder the user browses the process's current
// folder, and Windows ignores OFN_NOCHANGEDIR for GetOpenFileName. Korvath
// names its own files whole, but the folder is put back all the same, so
// that nothing else the process does afterwards starts from where the user
// happened to browse.
class CurrentFolderKept {
 public:
  CurrentFolderKept() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return;
    folder_.resize(size);
    DWORD length = GetCurrentDirectoryW(size, folder_.data());
    folder_.resize(length < size ? length : 0);
  }
  ~CurrentFolderKept() {
    if (!folder_.empty()) SetCurrentDirectoryW(folder_.c_str());
  }
  CurrentFolderKept(const CurrentFolderKept&) = delete;
  CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;

 private:
  std::wstring folder_;
};

}  // namespace

HWND Win32Desktop::OwnerOf(OwnerWindow owner) const {
  return owner == kDesktopOwner ? owner_ : reinterpret_cast<HWND>(owner);
}

MessageBoxResult Win32Desktop::ShowMessageBox(const std::string& text, const std::string& caption,
                                              MessageBoxIcon icon, MessageBoxButtons buttons, OwnerWindow owner) {
  switch (MessageBoxW(OwnerOf(owner), Widen(text).c_str(), Widen(caption).c_str(), IconFlag(icon) | ButtonFlag(buttons))) {
    case IDCANCEL: return MessageBoxResult::kCancel;
    case IDYES: return MessageBoxResult::kYes;
    case IDNO: return MessageBoxResult::kNo;
    default: return MessageBoxResult::kOk;
  }
}

bool Win32Desktop::ShellOpen(const std::string& target) {
  HINSTANCE result = ShellExecuteW(owner_, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // Values up to 32 are errors; only "not found" counts as a failure here.
  auto code = reinterpret_cast<INT_PTR>(result);
  return !(code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND);
}

void Win32Desktop::PlayWaveFile(const std::string& path) {
  PlaySoundW(Widen(path).c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
}

ProcessId Win32Desktop::StartProcess(const std::string& path, uint32_t affinityMask) {
  return processes_.Start(path, affinityMask);
}

bool Win32Desktop::IsProcessRunning(ProcessId process) { return processes_.IsRunning(process); }

void Win32Desktop::TerminateProcess(ProcessId process) { processes_.Terminate(process); }

std::optional<std::string> Win32Desktop::PickOpenFile(const OpenFileRequest& request) {
  std::wstring filter = FilterText(request.filter);
  std::wstring title = Widen(request.title);
  // The box opens with the proposed name and gets the chosen path back in
  // the same buffer: room for the longest path Windows takes, and never
  // less than the proposal itself.
  std::wstring initialName = Widen(request.initialName);
  std::vector<wchar_t> file(std::max(kPathBufferChars, initialName.size() + 1), L'\0');
  std::copy(initialName.begin(), initialName.end(), file.begin());
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = OwnerOf(request.owner);
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  // No OFN_NOCHANGEDIR: Windows ignores it for this dialog, and without it
  // Wine changes the folder as Windows does, so that runs under Wine meet
  // the change that CurrentFolderKept undoes.
  dialog.Flags = OFN_HIDEREADONLY | (request.mustExist ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : 0);
  std::wstring extension;
  if (request.save) {
    dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    size_t dot = request.filter.find("|*.");
    if (dot != std::string::npos) {
      size_t end = request.filter.find_first_of("|;", dot + 3);
      extension = Widen(request.filter.substr(dot + 3, end == std::string::npos ? end : end - dot - 3));
      if (!extension.empty() && extension != L"*") dialog.lpstrDefExt = extension.c_str();
    }
  }
  CurrentFolderKept folder;
  if (!(request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return std::nullopt;
  return Narrow(file.data());
}

std::optional<uint32_t> Win32Desktop::PickColour(uint32_t initialColour, OwnerWindow owner) {
  CHOOSECOLORW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  // Without an owner the dialog that asked stays usable underneath, and its
  // choice could arrive after that dialog was closed.
  dialog.hwndOwner = OwnerOf(owner);
  dialog.rgbResult = initialColour;
  dialog.lpCustColors = customColours_;
  dialog.Flags = 0;
  if (!ChooseColorW(&dialog)) return std::nullopt;
  return static_cast<uint32_t>(dialog.rgbResult);
}

}  // namespace korvath
