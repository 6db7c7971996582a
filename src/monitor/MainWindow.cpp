#include "monitor/MainWindow.h"

#include "about/AboutDialog.h"
#include "hw/CoreRatios.h"
#include "platform/TextFormat.h"
#include "platform/win32/GdiTrayIconPainter.h"
#include "platform/win32/ShellTray.h"
#include "resources/resource.h"
#include "tools/Benchmark.h"
#include "tools/SensorTestDialog.h"

namespace korvath {
namespace {

constexpr UINT kAboutCommand = 16;
constexpr UINT kTrayCallback = 0x8000;

// Anti-aliased up to Windows 4, ClearType on 5, ClearType natural from 6 on.
BYTE DisplayFontQuality() {
  DWORD version = GetVersion();
  int major = static_cast<int>(LOBYTE(LOWORD(version)));
  int extra = major - 4;
  if (extra < 0) extra = 0;
  if (extra > 2) extra = 2;
  return static_cast<BYTE>(ANTIALIASED_QUALITY + extra);
}

}  // namespace

MainWindow::MainWindow(const MainWindowSeams& seams) : Dialog(IDD_MAIN, nullptr), seams_(seams) {}

MainWindow::~MainWindow() = default;

std::optional<intptr_t> MainWindow::HandleMessage(const WindowMessage& message) {
  // Registered at run time, so it cannot stand in the static table.
  if (taskbarCreatedMessage_ != 0 && message.id == taskbarCreatedMessage_) {
    if (monitor_) monitor_->OnTaskbarCreated();
    return 0;
  }
  static constexpr MessageEntry<MainWindow> kMessageMap[] = {
      OnMessage(WM_SYSCOMMAND, &MainWindow::OnSysCommand),
      OnMessage(WM_PAINT, &MainWindow::OnPaint),
      OnMessage(WM_QUERYDRAGICON, &MainWindow::OnQueryDragIcon),
      OnMessage(WM_TIMER, &MainWindow::OnTimer),
      OnMessage(WM_SIZE, &MainWindow::OnSize),
      OnCommand(IDC_SENSOR_TEST, kButtonClicked, &MainWindow::OnSensorTest),
      OnCommand(IDC_SETTINGS, kButtonClicked, &MainWindow::OnSettings),
      OnMessage(WM_LBUTTONDBLCLK, &MainWindow::OnLeftButtonDoubleClick),
      OnCommand(IDC_QZ_BENCH, kButtonClicked, &MainWindow::OnBenchmark),
      OnCommand(IDC_RESET, kButtonClicked, &MainWindow::OnReset),
      OnMessage(WM_DESTROY, &MainWindow::OnDestroy),
      OnMessage(WM_WINDOWPOSCHANGING, &MainWindow::OnWindowPosChanging),
      OnMessage(WM_CLOSE, &MainWindow::OnClose),
      OnMessage(kTrayCallback, &MainWindow::OnTrayNotification),
  };
  return RouteMessage(kMessageMap, *this, message);
}

bool MainWindow::OnInitDialog() {
  AddAboutToSystemMenu();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KORVATH), IMAGE_ICON, 0, 0,
                                        LR_DEFAULTSIZE | LR_SHARED));
  smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KORVATH), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_SHARED));
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

  desktop_.SetOwner(Handle());
  trayShell_ = std::make_unique<ShellTray>(Handle());
  monitor_ = std::make_unique<Monitor>(
      MonitorSeams{seams_.processor, seams_.time, seams_.clockProcessor, seams_.clockTime, desktop_, seams_.gpu,
                   seams_.settingsFile, logFiles_, *trayShell_, trayPainter_,
                   reinterpret_cast<IconHandle>(smallIcon_), true,
                   [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL); }},
      *this);
  if (std::optional<FatalError> fatal = monitor_->StartUp()) {
    // Nothing of the window shows, nothing is cleaned up: the process ends here.
    desktop_.SetOwner(nullptr);
    desktop_.ShowMessageBox(fatal->text, fatal->caption, MessageBoxIcon::kError, MessageBoxButtons::kOk);
    ExitProcess(static_cast<UINT>(fatal->exitCode));
  }
  CreateFonts();
  trayInteraction_ = std::make_unique<TrayInteraction>(monitor_->settings(), *this);
  taskbarCreatedMessage_ = ListenForTaskbarCreated(Handle());
  return true;
}

void MainWindow::AddAboutToSystemMenu() {
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  if (menu == nullptr) return;
  wchar_t text[64] = {};
  if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUT, text, 64) <= 0 || text[0] == L'\0') return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kAboutCommand, text);
  // Size, then Maximize (which has moved up by one).
  RemoveMenu(menu, 2, MF_BYPOSITION);
  RemoveMenu(menu, 3, MF_BYPOSITION);
}

void MainWindow::CreateFonts() {
  displayFont_.Reset(CreateFontW(24, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DisplayFontQuality(), VARIABLE_PITCH | FF_SWISS,
                                 L"Microsoft Sans Serif"));
  for (int id = IDC_TEMPERATURE0; id <= IDC_DISTANCE3; ++id) {
    SendDlgItemMessageW(Handle(), id, WM_SETFONT, reinterpret_cast<WPARAM>(displayFont_.Get()), TRUE);
  }
  trayPainter_.painter = std::make_unique<GdiTrayIconPainter>(monitor_->settings().bold != 0);
}

void MainWindow::OnOk() {
  HWND focus = GetFocus();
  if (focus != nullptr && GetParent(focus) == Handle() && GetDlgCtrlID(focus) == IDOK) Dialog::OnOk();
}

std::optional<intptr_t> MainWindow::OnSysCommand(const WindowMessage& message) {
  if ((message.wParam & 0xFFF0) != kAboutCommand) return std::nullopt;
  AboutDialog about(Handle(), desktop_, seams_.processor);
  about.RunModal();
  return 0;
}

std::optional<intptr_t> MainWindow::OnPaint(const WindowMessage&) {
  if (!IsIconic(Handle())) return std::nullopt;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(Handle(), &client);
  int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon_);
  EndPaint(Handle(), &paint);
  return 0;
}

std::optional<intptr_t> MainWindow::OnQueryDragIcon(const WindowMessage&) {
  return reinterpret_cast<intptr_t>(icon_);
}

std::optional<intptr_t> MainWindow::OnTimer(const WindowMessage& message) {
  if (!monitor_) return 0;
  if (message.wParam == kTrayRetryTimerId) monitor_->OnTrayRetryTimer();
  else monitor_->OnMonitorTimer();
  return 0;
}

std::optional<intptr_t> MainWindow::OnSize(const WindowMessage& message) {
  if (trayInteraction_) trayInteraction_->OnSize(message.wParam == SIZE_RESTORED);
  return std::nullopt;
}

std::optional<intptr_t> MainWindow::OnClose(const WindowMessage&) {
  if (trayInteraction_ && !trayInteraction_->OnClose()) return 0;
  EndDialog(IDCANCEL);
  return 0;
}

std::optional<intptr_t> MainWindow::OnDestroy(const WindowMessage&) {
  if (monitor_) monitor_->ShutDown();
  return std::nullopt;
}

// While the window may not show (start minimised to the tray), every attempt
// to show it is turned into a plain move.
std::optional<intptr_t> MainWindow::OnWindowPosChanging(const WindowMessage& message) {
  if (mayShow_) return std::nullopt;
  auto* position = reinterpret_cast<WINDOWPOS*>(message.lParam);
  position->flags &= ~SWP_SHOWWINDOW;
  return std::nullopt;
}

std::optional<intptr_t> MainWindow::OnTrayNotification(const WindowMessage& message) {
  if (trayInteraction_) trayInteraction_->OnTrayNotification(static_cast<uint32_t>(message.lParam));
  return 0;
}

std::optional<intptr_t> MainWindow::OnLeftButtonDoubleClick(const WindowMessage&) {
  if (monitor_) monitor_->ToggleMiniMode();
  return 0;
}

void MainWindow::OnSensorTest() {
  RunSensorTestButton(Controls(), [this] {
    // The dialog opens beside the window as it is when the button is pressed.
    RECT frame;
    ::GetWindowRect(Handle(), &frame);
    SensorTestDialog dialog(Handle(), frame, monitor_->access(), seams_.time, seams_.threads, desktop_);
    dialog.RunModal();
  });
}

void MainWindow::OnBenchmark() {
  Benchmark benchmark(monitor_->access(), seams_.time, seams_.threads, desktop_, Controls(),
                      ReadingsOf(monitor_->clockMeasurements()),
                      [this] { return MeasureCoreRatios(monitor_->access()); });
  benchmark.Run();
}

void MainWindow::OnReset() { monitor_->ResetStatistics(); }

void MainWindow::OnSettings() {
  // The Settings dialog view lands with its own change; until then the
  // button does nothing rather than showing a half dialog.
}

WindowRect MainWindow::GetWindowRect() {
  RECT rect = {};
  ::GetWindowRect(Handle(), &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void MainWindow::SetTitle(const std::string& title) { SetWindowTextW(Handle(), Widen(title).c_str()); }

void MainWindow::ApplyZOrder(const WindowRect& rect, bool topmost) {
  SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, rect.left, rect.top, rect.Width(),
               rect.Height(), SWP_NOACTIVATE);
}

void MainWindow::MoveWindowBy(int dx, int dy) {
  RECT rect = {};
  ::GetWindowRect(Handle(), &rect);
  SetWindowPos(Handle(), nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::InvalidateAll() { InvalidateRect(Handle(), nullptr, TRUE); }

void MainWindow::PushTexts(const DisplayTexts& texts) { texts.PushTo(Controls()); }

uintptr_t MainWindow::SetTimer(uintptr_t timerId, uint32_t periodMs) {
  return ::SetTimer(Handle(), timerId, periodMs, nullptr);
}

void MainWindow::KillTimer(uintptr_t timerId) { ::KillTimer(Handle(), timerId); }

void MainWindow::Minimize() { ShowWindow(Handle(), SW_MINIMIZE); }

void MainWindow::FlashOnce() { FlashWindow(Handle(), TRUE); }

// The caption-less layout with a 312 x 118 client area, and back to the
// frame the window had before.
void MainWindow::ApplyMiniMode(bool enter) {
  LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
  if (enter) {
    ::GetWindowRect(Handle(), &normalFrame_);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    RECT frame = {0, 0, kMiniClientWidth, kMiniClientHeight};
    AdjustWindowRect(&frame, static_cast<DWORD>(style), FALSE);
    SetWindowPos(Handle(), nullptr, normalFrame_.left, normalFrame_.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  } else {
    SetWindowLongPtrW(Handle(), GWL_STYLE, style | WS_CAPTION);
    SetWindowPos(Handle(), nullptr, normalFrame_.left, normalFrame_.top, normalFrame_.right - normalFrame_.left,
                 normalFrame_.bottom - normalFrame_.top, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  }
}

void MainWindow::DeleteGdiObjects() {
  for (int id = IDC_TEMPERATURE0; id <= IDC_DISTANCE3; ++id) {
    SendDlgItemMessageW(Handle(), id, WM_SETFONT, 0, FALSE);
  }
  displayFont_.Reset();
}

bool MainWindow::IsVisible() { return IsWindowVisible(Handle()) != FALSE; }

void MainWindow::Hide() { ShowWindow(Handle(), SW_HIDE); }

void MainWindow::ShowRestored() {
  mayShow_ = true;
  ShowWindow(Handle(), SW_RESTORE);
  SetForegroundWindow(Handle());
}

int MainWindow::RunTrayMenu(const std::vector<TrayMenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return 0;
  for (const TrayMenuItem& item : items) {
    if (item.IsSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.checked ? MF_CHECKED : 0) | (item.grayed ? MF_GRAYED : 0);
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.command), Widen(item.text).c_str());
  }
  POINT cursor = {};
  GetCursorPos(&cursor);
  SetForegroundWindow(Handle());
  int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x,
                               cursor.y, 0, Handle(), nullptr);
  DestroyMenu(menu);
  return command;
}

void MainWindow::EndWindow() { EndDialog(IDCANCEL); }

void MainWindow::ResetStatistics() { monitor_->ResetStatistics(); }

IconHandle MainWindow::LateTrayPainter::DrawIcon(const std::string& text, uint32_t colour, int fontNumber) {
  return painter ? painter->DrawIcon(text, colour, fontNumber) : 0;
}

void MainWindow::LateTrayPainter::DestroyIcon(IconHandle icon) {
  if (painter) painter->DestroyIcon(icon);
}

}  // namespace korvath
