// The desktop shell on Windows: message boxes, ShellExecuteW, PlaySoundW,
// the stress-test process and the common file and colour dialogs.
#pragma once

#include <windows.h>

#include "platform/Desktop.h"
#include "platform/win32/Win32Processes.h"

namespace korvath {

class Win32Desktop : public Desktop {
 public:
  // Boxes and pickers asked for without an owner of their own belong to this
  // window (the main window once it exists).
  void SetOwner(HWND owner) { owner_ = owner; }

  MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                                  MessageBoxButtons buttons, OwnerWindow owner = kDesktopOwner) override;
  bool ShellOpen(const std::string& target) override;
  void PlayWaveFile(const std::string& path) override;
  ProcessId StartProcess(const std::string& path, uint32_t affinityMask) override;
  bool IsProcessRunning(ProcessId process) override;
  void TerminateProcess(ProcessId process) override;
  std::optional<std::string> PickOpenFile(const OpenFileRequest& request) override;
  std::optional<uint32_t> PickColour(uint32_t initialColour, OwnerWindow owner) override;

 private:
  HWND OwnerOf(OwnerWindow owner) const;

  HWND owner_ = nullptr;
  Win32Processes processes_;
  COLORREF customColours_[16] = {};
};

}  // namespace korvath
