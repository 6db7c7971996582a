// The main window (dialog 102): the Win32 view of Monitor. It turns window
// messages into Monitor calls and does what only the window system can do:
// the system menu, the minimised icon, fonts, brushes and colours, timers,
// the tray menu, dragging, mini mode and the hover reports.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/HistoryWindow.h"
#include "monitor/CoreGrid.h"
#include "monitor/MainWindowView.h"
#include "monitor/MiniCores.h"
#include "monitor/Monitor.h"
#include "monitor/TrayInteraction.h"
#include "monitor/TrayWindow.h"
#include "monitor/WindowPlacement.h"
#include "platform/win32/Win32Holders.h"
#include "platform/win32/ShellTray.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32FileWriter.h"
#include "ui/Dialog.h"
#include "ui/LayoutScale.h"

namespace korvath {

class GdiTrayIconPainter;
class Processor;
class ProfileStore;
class StartWithWindows;
class TaskScheduler;
class Threads;
class TimeSource;

// What the composition root hands the main window, filled by name as
// MonitorSeams is.
struct MainWindowSeams {
  Processor& processor;
  TimeSource& time;
  ProfileStore& settingsFile;
  Threads& threads;
  // "Start with Windows" is offered when there is a scheduler.
  TaskScheduler* scheduler = nullptr;
  // The registered message by which a second start brings the window up.
  std::string restoreMessageName;
};

class MainWindow : public Dialog, public MainWindowView, public TrayWindow {
 public:
  explicit MainWindow(const MainWindowSeams& seams);
  ~MainWindow() override;

  // The window's halves of the monitor's seams, for the composition root
  // that builds the Monitor on them.
  Desktop& desktop() { return desktop_; }
  FileWriter& metricsFiles() { return metricsFiles_; }
  TrayShell& trayShell() { return trayShell_; }
  TrayIconPainter& trayPainter() { return trayPainter_; }
  IconHandle applicationIcon() const { return reinterpret_cast<IconHandle>(smallIcon_); }

  // Runs the window on monitor until it is closed. A start-up failure ends
  // it before anything shows and comes back, for the composition root to
  // report and end the process with; the monitor is then left as it was.
  std::optional<FatalError> Run(Monitor& monitor);

 protected:
  std::optional<intptr_t> HandleMessage(const WindowMessage& message) override;
  bool OnInitDialog() override;
  // Enter: the dialog has no child with identifier 1, so nothing happens.
  void OnOk() override;

 private:
  // Message handlers.
  std::optional<intptr_t> OnSysCommand(const WindowMessage& message);
  std::optional<intptr_t> OnPaint(const WindowMessage& message);
  std::optional<intptr_t> OnQueryDragIcon(const WindowMessage& message);
  std::optional<intptr_t> OnTimer(const WindowMessage& message);
  std::optional<intptr_t> OnSize(const WindowMessage& message);
  std::optional<intptr_t> OnClose(const WindowMessage& message);
  std::optional<intptr_t> OnDestroy(const WindowMessage& message);
  std::optional<intptr_t> OnQueryEndSession(const WindowMessage& message);
  std::optional<intptr_t> OnEndSession(const WindowMessage& message);
  std::optional<intptr_t> OnWindowPosChanging(const WindowMessage& message);
  std::optional<intptr_t> OnTrayNotification(const WindowMessage& message);
  std::optional<intptr_t> OnLeftButtonDoubleClick(const WindowMessage& message);
  void OnSensorTest();
  void OnBenchmark();
  void OnReset();
  void OnSettings();
  std::optional<intptr_t> OnLeftButtonDown(const WindowMessage& message);
  std::optional<intptr_t> OnMouseMove(const WindowMessage& message);
  std::optional<intptr_t> OnLeftButtonUp(const WindowMessage& message);
  std::optional<intptr_t> OnCaptureChanged(const WindowMessage& message);
  std::optional<intptr_t> OnRightButtonDoubleClick(const WindowMessage& message);
  std::optional<intptr_t> OnGetMinMaxInfo(const WindowMessage& message);
  std::optional<intptr_t> OnControlColour(const WindowMessage& message);
  std::optional<intptr_t> OnMouseHover(const WindowMessage& message);
  std::optional<intptr_t> OnMouseLeave(const WindowMessage& message);
  std::optional<intptr_t> OnScalingMayHaveChanged(const WindowMessage& message);
  std::optional<intptr_t> OnVerticalScroll(const WindowMessage& message);
  std::optional<intptr_t> OnMouseWheel(const WindowMessage& message);

  void AddAboutToSystemMenu();
  void AddHistoryToSystemMenu();
  // A double-click on a temperature opens the History window: the edits
  // take their own clicks, so each is subclassed for that one message.
  void ListenForTemperatureDoubleClicks();
  static LRESULT CALLBACK TemperatureEditProcedure(HWND edit, UINT id, WPARAM wParam, LPARAM lParam,
                                                   UINT_PTR subclassId, DWORD_PTR self);
  LayoutScale MeasureLayoutScale();
  void CreateFonts();
  void CreateDisplayFont();
  void CreateBrushes();
  // The table of the cores beyond the four slots and the packages, and mini
  // mode's strip of them: made once, when the cores are known.
  void CreateCoreGrid();
  HWND CreateChild(const wchar_t* windowClass, const std::string& text, DWORD style, int id,
                   const WindowRect& rect);
  void MoveButtonsTo(int top);
  void FitWindowToGrid();
  void ScrollTo(int position);
  // A window taller than the screen scrolls, but not the hottest core and
  // the package out of sight.
  void KeepHottestInView();
  void ShowMiniStrip(bool show);
  void PushMiniCells();
  void ApplyGroupBoxTheme();
  void EnterMiniMode();
  void LeaveMiniMode();
  void MoveWindowTo(const WindowRect& rect, UINT extraFlags = 0);
  void ShowHoverPopup(int x, int y, const std::string& text);
  // TrackPopupMenu the way every pop-up menu of a window must run it, so
  // that a click elsewhere closes it.
  int TrackMenu(HMENU menu, UINT flags, POINT screen);

  // MainWindowView.
  WindowRect GetWindowRect() override;
  WindowRect FullWindowRect() override;
  bool IsMinimized() override;
  bool IsOnWorkArea(int x, int y) override;
  std::vector<WindowRect> WorkAreas() override;
  void SetTitle(const std::string& title) override;
  void ApplyZOrder(const WindowRect& rect, bool topmost) override;
  void MoveWindowBy(int dx, int dy) override;
  void InvalidateAll() override;
  void PushTexts(const DisplayTexts& texts) override;
  uintptr_t SetTimer(uintptr_t timerId, uint32_t periodMs) override;
  void KillTimer(uintptr_t timerId) override;
  void Minimize() override;
  void FlashOnce() override;
  void ApplyMiniMode(bool enter) override;
  void SetMayShow(bool mayShow) override { mayShow_ = mayShow; }
  void ShowInTaskBar() override;
  void DeleteGdiObjects() override;
  void HistoryRecorded() override;

  // TrayWindow.
  bool IsVisible() override;
  void Hide() override;
  void ShowRestored() override;
  int RunTrayMenu(const std::vector<TrayMenuItem>& items) override;
  void EndWindow() override;
  void ResetStatistics() override;
  void ShowHistory() override;

  // Draws with the tray fonts once they exist (after the settings are read).
  class LateTrayPainter : public TrayIconPainter {
   public:
    IconHandle DrawIcon(const std::string& text, uint32_t colour, int fontNumber) override;
    void DestroyIcon(IconHandle icon) override;
    std::unique_ptr<GdiTrayIconPainter> painter;
  };

  // The table's controls and the strip's belong to the window until it is
  // destroyed; the dialog's own children are the template's.
  struct ChildWindowTraits {
    using Handle = HWND;
    static HWND Empty() { return nullptr; }
    static bool IsEmpty(HWND window) { return window == nullptr; }
    static void Release(HWND window) {
      if (IsWindow(window)) DestroyWindow(window);
    }
  };
  using ChildWindow = Holder<ChildWindowTraits>;

  MainWindowSeams seams_;
  Win32Desktop desktop_;
  Win32FileWriter metricsFiles_;
  LateTrayPainter trayPainter_;
  ShellTray trayShell_{nullptr};  // given the window in OnInitDialog
  // Run's monitor, and the same once it has started up: null before that,
  // and after a failed start-up, so that no message reaches it then.
  Monitor* startingMonitor_ = nullptr;
  Monitor* monitor_ = nullptr;
  std::optional<FatalError> startUpFailure_;
  std::unique_ptr<TrayInteraction> trayInteraction_;
  std::unique_ptr<HistoryWindow> history_;
  HICON icon_ = nullptr;       // shared resource icon: not destroyed
  HICON smallIcon_ = nullptr;  // shared resource icon: not destroyed
  FontHolder displayFont_;     // edits 1001-1008, made for scale_
  LayoutScale scale_;          // the dialog's layout against its 96-DPI figures
  bool groupBoxesUnthemed_ = false;  // the themes would draw the captions in their own colour
  SolidBrush normalBrush_;     // the user's backgrounds, by mode
  SolidBrush miniBrush_;
  bool gdiObjectsDeleted_ = false;
  UINT taskbarCreatedMessage_ = 0;
  UINT restoreMessage_ = 0;  // a second start asks for the window
  std::unique_ptr<StartWithWindows> startWithWindows_;
  bool mayShow_ = false;
  WindowPlacement placement_;  // mini mode's rectangles, style and limits
  POINT dragOrigin_ = {};      // client coordinates of the left button going down
  bool dragging_ = false;
  bool hoverTracking_ = false;  // a hover and leave request is outstanding
  CoreGridLayout coreGrid_;     // empty on four cores or fewer
  std::vector<ChildWindow> gridControls_;
  int scrollPosition_ = 0;      // pixels of the client scrolled out at the top
  int scrollPage_ = 0;          // the client height that shows
  MiniCells miniCells_ = {};
  int miniCellCount_ = 0;
  MiniStripLayout miniStrip_;
  std::vector<HWND> coveredByStrip_;  // hidden while the strip shows over them
  std::vector<MiniCoreReading> miniReadings_;  // sized once, refreshed each cycle
  std::string miniText_;                        // reused for every cell
};

}  // namespace korvath
