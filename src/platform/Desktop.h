// The seam to the desktop shell: message boxes, opening files and pages,
// sounds, the stress-test process, and the file and colour pickers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvath {

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
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Modal; the window's timer keeps running underneath (nested cycles).
  virtual MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption,
                                          MessageBoxIcon icon, MessageBoxButtons buttons) = 0;
  // ShellExecuteW with the verb "open", no parameters, no working folder;
  // false when the shell reports that the file was not found.
  virtual bool ShellOpen(const std::string& target) = 0;
  // Asynchronous; a missing file is silence.
  virtual void PlayWaveFile(const std::string& path) = 0;

  // The stress-test program: started without a command line.
  virtual ProcessId StartProcess(const std::string& path, uint32_t affinityMask) = 0;
  virtual bool IsProcessRunning(ProcessId process) = 0;
  virtual void TerminateProcess(ProcessId process) = 0;

  // The full path chosen, or nothing when cancelled.
  virtual std::optional<std::string> PickOpenFile(const OpenFileRequest& request) = 0;
  // A colour as 0x00BBGGRR, or nothing when cancelled.
  virtual std::optional<uint32_t> PickColour(uint32_t initialColour) = 0;
};

}  // namespace korvath
