// The seam to the desktop shell: message boxes, opening files and pages,
// sounds, the stress-test process, and the file and colour pickers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvath {

// The window a message box or picker belongs to: its owner takes no input
// while the box is open, so no second box can be opened from it. An opaque
// window handle of the platform; kDesktopOwner leaves the choice to the
// desktop, which gives the box to the main window.
using OwnerWindow = uintptr_t;
inline constexpr OwnerWindow kDesktopOwner = 0;

enum class MessageBoxIcon { kNone, kError, kInformation, kWarning, kQuestion };
enum class MessageBoxButtons { kOk, kOkCancel, kYesNo };
enum class MessageBoxResult { kOk, kCancel, kYes, kNo };

// A process the desktop started; id 0 means none.
struct ProcessId {
  uint32_t value = 0;
  explicit operator bool() const { return value != 0; }
};

struct OpenFileRequest {
  std::string title;
  std::string initialName;  // proposed in the file name box
  // Pairs of description and pattern, e.g. {"EXE Files (*.exe)", "*.exe"}.
  std::string filter;  // in the "Desc|pattern|Desc|pattern||" form
  bool mustExist = true;
  OwnerWindow owner = kDesktopOwner;
  // A box to save under a name (asking before replacing a file) instead of
  // one to open; the extension of the first pattern is added when none is typed.
  bool save = false;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Modal; the window's timer keeps running underneath (nested cycles).
  virtual MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption,
                                          MessageBoxIcon icon, MessageBoxButtons buttons,
                                          OwnerWindow owner = kDesktopOwner) = 0;
  // ShellExecuteW with the verb "open", no parameters, no working folder;
  // false when the shell reports that the file was not found.
  virtual bool ShellOpen(const std::string& target) = 0;
  // Asynchronous; a missing file is silence.
  virtual void PlayWaveFile(const std::string& path) = 0;

  // The stress-test program: started without a command line.
  virtual ProcessId StartProcess(const std::string& path, uint32_t affinityMask) = 0;
  virtual bool IsProcessRunning(ProcessId process) = 0;
  virtual void TerminateProcess(ProcessId process) = 0;

  // The full path chosen, or nothing when cancelled. The process's current
  // folder is the same afterwards, whatever the user browsed.
  virtual std::optional<std::string> PickOpenFile(const OpenFileRequest& request) = 0;
  // A colour as 0x00BBGGRR, or nothing when cancelled.
  virtual std::optional<uint32_t> PickColour(uint32_t initialColour, OwnerWindow owner) = 0;
};

}  // namespace korvath
