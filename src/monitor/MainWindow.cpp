#include "monitor/MainWindow.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "about/AboutDialog.h"
#include "config/SettingsDialog.h"
#include "config/StartWithWindows.h"
#include "hw/CoreRatios.h"
#include "monitor/ControlColours.h"
#include "monitor/ExtraCoreControls.h"
#include "platform/TextFormat.h"
#include "platform/win32/GdiTrayIconPainter.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/ShellTray.h"
#include "resources/resource.h"
#include "tools/Benchmark.h"
#include "tools/SensorTestDialog.h"
#include "ui/Win32WorkAreas.h"

namespace korvath {
namespace {

constexpr UINT kAboutCommand = 16;
constexpr UINT kHistoryCommand = 0x0120;
constexpr wchar_t kHistoryMenuText[] = L"History...";
constexpr UINT_PTR kTemperatureSubclassId = 28;
// The temperatures a double-click opens the History window from: the
// current ones and their minimum and maximum.
constexpr int kTemperatureControls[] = {IDC_TEMPERATURE0, IDC_TEMPERATURE1, IDC_TEMPERATURE2, IDC_TEMPERATURE3,
                                        IDC_MINIMUM0,     IDC_MINIMUM1,     IDC_MINIMUM2,     IDC_MINIMUM3,
                                        IDC_MAXIMUM0,     IDC_MAXIMUM1,     IDC_MAXIMUM2,     IDC_MAXIMUM3};
constexpr UINT kTrayCallback = 0x8000;
constexpr DWORD kHoverTimeMs = 3000;
// Windows 8.1's message, named here for older headers.
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr int kDisplayFontHeight = 24;  // pixels at 96 DPI

constexpr int kGroupBoxes[] = {IDC_TOP_GROUP,     IDC_TEMPERATURE_GROUP, IDC_DISTANCE_GROUP,
                               IDC_MINIMUM_GROUP, IDC_MAXIMUM_GROUP,     IDC_THERMAL_STATUS_GROUP};
constexpr int kButtons[] = {IDC_SENSOR_TEST, IDC_QZ_BENCH, IDC_RESET, IDC_SETTINGS};
// The template's Temperature band (dialog units), kept in view when one of
// the four slots is the hottest core.
constexpr int kTemperatureBandTop = 43;
constexpr int kTemperatureBandBottom = 69;
constexpr int kWheelRows = 3;

// Mouse positions travel signed: a captured drag reports points left of and
// above the client area.
POINT ClientPoint(intptr_t lParam) {
  return {static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam))),
          static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
}

// Anti-aliased up to Windows 4, ClearType on 5, ClearType natural from 6 on.
BYTE DisplayFontQuality() {
  DWORD version = GetVersion();
  int major = static_cast<int>(LOBYTE(LOWORD(version)));
  int extra = major - 4;
  if (extra < 0) extra = 0;
  if (extra > 2) extra = 2;
  return static_cast<BYTE>(ANTIALIASED_QUALITY + extra);
}

// The base units a dialog takes from its font: the rounded average width of
// the 52 letters, and the font's height.
SIZE DialogBaseUnits(HDC dc, HFONT font) {
  if (font == nullptr) return {};
  static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SelectionScope selected(dc, font);
  TEXTMETRICW metrics = {};
  SIZE extent = {};
  if (!GetTextMetricsW(dc, &metrics) || !GetTextExtentPoint32W(dc, kLetters, 52, &extent)) return {};
  return {(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

// The work area of the monitor the window is on.
RECT WorkAreaOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return info.rcWork;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
  RECT rect = {};
  ::GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The temperature of a core beyond the four slots.
bool IsExtraTemperatureControl(int id) {
  int offset = id - kExtraCoreControlBase;
  return offset >= kCoreSlots * kCoreFieldCount && offset % kCoreFieldCount == static_cast<int>(CoreField::kTemperature);
}

}  // namespace

MainWindow::MainWindow(const MainWindowSeams& seams) : Dialog(IDD_MAIN, nullptr), seams_(seams) {
  // Shared resource icons, loaded before the window so that the monitor's
  // tray can take the small one as its application icon.
  HINSTANCE instance = GetModuleHandleW(nullptr);
  icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KORVATH), IMAGE_ICON, 0, 0,
                                        LR_DEFAULTSIZE | LR_SHARED));
  smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KORVATH), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_SHARED));
}

MainWindow::~MainWindow() = default;

std::optional<FatalError> MainWindow::Run(Monitor& monitor) {
  startingMonitor_ = &monitor;
  RunModal();
  // What refers to the monitor goes before it does, as the window goes.
  history_.reset();
  trayInteraction_.reset();
  monitor_ = nullptr;
  startingMonitor_ = nullptr;
  return startUpFailure_;
}

std::optional<intptr_t> MainWindow::HandleMessage(const WindowMessage& message) {
  // Registered at run time, so it cannot stand in the static table.
  if (taskbarCreatedMessage_ != 0 && message.id == taskbarCreatedMessage_) {
    if (monitor_) monitor_->OnTaskbarCreated();
    return 0;
  }
  // As the tray menu's Restore: shown even when it lives in the tray only.
  if (restoreMessage_ != 0 && message.id == restoreMessage_) {
    if (monitor_) ShowRestored();
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
      OnMessage(WM_QUERYENDSESSION, &MainWindow::OnQueryEndSession),
      OnMessage(WM_ENDSESSION, &MainWindow::OnEndSession),
      OnMessage(WM_WINDOWPOSCHANGING, &MainWindow::OnWindowPosChanging),
      OnMessage(WM_CLOSE, &MainWindow::OnClose),
      OnMessage(kTrayCallback, &MainWindow::OnTrayNotification),
      OnMessage(WM_LBUTTONDOWN, &MainWindow::OnLeftButtonDown),
      OnMessage(WM_MOUSEMOVE, &MainWindow::OnMouseMove),
      OnMessage(WM_LBUTTONUP, &MainWindow::OnLeftButtonUp),
      OnMessage(WM_CAPTURECHANGED, &MainWindow::OnCaptureChanged),
      OnMessage(WM_RBUTTONDBLCLK, &MainWindow::OnRightButtonDoubleClick),
      OnMessage(WM_GETMINMAXINFO, &MainWindow::OnGetMinMaxInfo),
      OnMessage(WM_CTLCOLORDLG, &MainWindow::OnControlColour),
      OnMessage(WM_CTLCOLORSTATIC, &MainWindow::OnControlColour),
      OnMessage(WM_CTLCOLOREDIT, &MainWindow::OnControlColour),
      OnMessage(WM_CTLCOLORBTN, &MainWindow::OnControlColour),
      OnMessage(WM_CTLCOLORLISTBOX, &MainWindow::OnControlColour),
      OnMessage(WM_CTLCOLORSCROLLBAR, &MainWindow::OnControlColour),
      OnMessage(WM_CTLCOLORMSGBOX, &MainWindow::OnControlColour),
      OnMessage(WM_MOUSEHOVER, &MainWindow::OnMouseHover),
      OnMessage(WM_MOUSELEAVE, &MainWindow::OnMouseLeave),
      OnMessage(kDpiChangedMessage, &MainWindow::OnScalingMayHaveChanged),
      OnMessage(WM_DISPLAYCHANGE, &MainWindow::OnScalingMayHaveChanged),
      OnMessage(WM_SETTINGCHANGE, &MainWindow::OnScalingMayHaveChanged),
      OnMessage(WM_VSCROLL, &MainWindow::OnVerticalScroll),
      OnMessage(WM_MOUSEWHEEL, &MainWindow::OnMouseWheel),
  };
  return RouteMessage(kMessageMap, *this, message);
}

bool MainWindow::OnInitDialog() {
  AddAboutToSystemMenu();
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

  desktop_.SetOwner(Handle());
  trayShell_ = ShellTray(Handle());
  monitor_ = startingMonitor_;
  if (std::optional<FatalError> fatal = monitor_->StartUp()) {
    // Ended before it is shown: nothing of the window appears, and with no
    // monitor its destruction shuts nothing down. The composition root
    // shows the box and ends the process.
    monitor_ = nullptr;
    desktop_.SetOwner(nullptr);
    startUpFailure_ = std::move(fatal);
    EndDialog(IDABORT);
    return false;
  }
  CreateFonts();
  CreateCoreGrid();
  CreateBrushes();
  trayInteraction_ = std::make_unique<TrayInteraction>(monitor_->settings(), *this);
  trayInteraction_->SetTrayIcons(&monitor_->tray());
  history_ = std::make_unique<HistoryWindow>(
      Handle(), HistoryWindowLinks{*monitor_->history(), monitor_->settings(), seams_.settingsFile, desktop_,
                                   metricsFiles_, seams_.time});
  AddHistoryToSystemMenu();
  ListenForTemperatureDoubleClicks();
  taskbarCreatedMessage_ = ListenForTaskbarCreated(Handle());
  if (seams_.scheduler != nullptr) {
    startWithWindows_ =
        std::make_unique<StartWithWindows>(*seams_.scheduler, desktop_, Narrow(ModuleFileName(nullptr)));
    trayInteraction_->SetStartWithWindows(startWithWindows_.get());
  }
  if (!seams_.restoreMessageName.empty()) {
    restoreMessage_ = RegisterWindowMessageW(Widen(seams_.restoreMessageName).c_str());
  }
  // A second start runs with the same rights, but an unelevated one (a
  // shortcut without its administrator flag) must reach this window too.
  if (restoreMessage_ != 0) ChangeWindowMessageFilterEx(Handle(), restoreMessage_, MSGFLT_ALLOW, nullptr);
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

// Below the About item, whether or not that one is there.
void MainWindow::AddHistoryToSystemMenu() {
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_STRING, kHistoryCommand, kHistoryMenuText);
}

void MainWindow::ListenForTemperatureDoubleClicks() {
  for (int id : kTemperatureControls) {
    if (HWND edit = GetDlgItem(Handle(), id)) {
      SetWindowSubclass(edit, &MainWindow::TemperatureEditProcedure, kTemperatureSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    }
  }
}

LRESULT CALLBACK MainWindow::TemperatureEditProcedure(HWND edit, UINT id, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                      DWORD_PTR self) {
  if (id == WM_LBUTTONDBLCLK) {
    // Posted, so that the edit finishes its click before the window opens.
    PostMessageW(GetParent(edit), WM_SYSCOMMAND, kHistoryCommand, 0);
    return 0;
  }
  if (id == WM_NCDESTROY) RemoveWindowSubclass(edit, &MainWindow::TemperatureEditProcedure, kTemperatureSubclassId);
  (void)self;
  return DefSubclassProc(edit, id, wParam, lParam);
}

// The dialog's font now and the same font at 96 DPI, both measured here the
// same way, so that 96 DPI is exactly 1 whatever face stands in for Tahoma.
LayoutScale MainWindow::MeasureLayoutScale() {
  auto font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  LOGFONTW logical = {};
  if (font == nullptr || GetObjectW(font, sizeof(logical), &logical) == 0 || logical.lfHeight == 0) return {};
  WindowDc dc(Handle());
  if (!dc.Get()) return {};
  int dpi = GetDeviceCaps(dc.Get(), LOGPIXELSY);
  if (dpi <= 0) return {};
  // The template's whole point size, as Windows made the font from it.
  int points = ScaleLength(logical.lfHeight < 0 ? -logical.lfHeight : logical.lfHeight, 72, dpi);
  LOGFONTW at96 = logical;
  at96.lfHeight = -ScaleLength(points, 96, 72);
  FontHolder reference(CreateFontIndirectW(&at96));
  SIZE now = DialogBaseUnits(dc.Get(), font);
  SIZE then = DialogBaseUnits(dc.Get(), reference.Get());
  if (now.cx <= 0 || now.cy <= 0 || then.cx <= 0 || then.cy <= 0) return {};
  return {now.cx, now.cy, then.cx, then.cy};
}

void MainWindow::CreateFonts() {
  scale_ = MeasureLayoutScale();
  CreateDisplayFont();
  trayPainter_.painter = std::make_unique<GdiTrayIconPainter>(monitor_->settings().bold != 0);
}

// The edits take the new font before the old one is deleted.
void MainWindow::CreateDisplayFont() {
  FontHolder font(CreateFontW(scale_.Y(kDisplayFontHeight), 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DisplayFontQuality(),
                              VARIABLE_PITCH | FF_SWISS, L"Microsoft Sans Serif"));
  for (int id = IDC_TEMPERATURE0; id <= IDC_DISTANCE3; ++id) {
    SendDlgItemMessageW(Handle(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  }
  displayFont_ = std::move(font);
}

// A DPI or display change: the next layout measures again, and the display
// font follows when the dialog's units have changed with it.
std::optional<intptr_t> MainWindow::OnScalingMayHaveChanged(const WindowMessage&) {
  if (!monitor_ || gdiObjectsDeleted_) return std::nullopt;
  LayoutScale measured = MeasureLayoutScale();
  if (measured == scale_) return std::nullopt;
  scale_ = measured;
  CreateDisplayFont();
  InvalidateRect(Handle(), nullptr, TRUE);
  return std::nullopt;
}

// Only the modes whose own colours are on get a brush at start-up; the
// Settings dialog makes the others when it needs them.
void MainWindow::CreateBrushes() {
  const AppSettings& settings = monitor_->settings();
  if (settings.customGui) normalBrush_.For(settings.guiColor);
  if (settings.customGuiMini) miniBrush_.For(settings.guiMiniColor);
  ApplyGroupBoxTheme();
}

// Themed group boxes draw their captions in the theme's colour whatever the
// control-colour message answers; without a theme they take the user's.
void MainWindow::ApplyGroupBoxTheme() {
  if (!monitor_) return;
  const AppSettings& settings = monitor_->settings();
  bool custom = settings.miniMode ? settings.customGuiMini != 0 : settings.customGui != 0;
  if (custom == groupBoxesUnthemed_) return;
  auto apply = [custom](HWND box) {
    if (box == nullptr) return;
    if (custom) SetWindowTheme(box, L"", L"");
    else SetWindowTheme(box, nullptr, nullptr);
  };
  for (int id : kGroupBoxes) apply(GetDlgItem(Handle(), id));
  for (const CoreGridControl& control : coreGrid_.controls) {
    if (control.kind == CoreGridControl::Kind::kGroupBox) apply(GetDlgItem(Handle(), control.id));
  }
  groupBoxesUnthemed_ = custom;
}

void MainWindow::CreateCoreGrid() {
  const TemperatureMonitor& temperatures = monitor_->temperatures();
  int count = temperatures.displayCoreCount();
  if (count <= kCoreSlots) return;
  std::vector<CoreType> types(static_cast<size_t>(count));
  for (int core = 0; core < count; ++core) types[static_cast<size_t>(core)] = temperatures.Core(core).type;
  const PackageTemperatures& packages = monitor_->packages();
  int packageCount = packages.present() ? packages.packageCount() : 0;

  RECT frame = {};
  RECT client = {};
  ::GetWindowRect(Handle(), &frame);
  GetClientRect(Handle(), &client);
  RECT work = WorkAreaOf(Handle());
  int frameWidth = (frame.right - frame.left) - client.right;
  int frameHeight = (frame.bottom - frame.top) - client.bottom;
  coreGrid_ = LayOutCoreGrid({count, types, packageCount, scale_, (work.right - work.left) - frameWidth,
                              (work.bottom - work.top) - frameHeight});
  if (coreGrid_.empty) return;

  // A child made later lies below the ones before it: the readings first,
  // the boxes around them last, as in the template.
  for (const CoreGridControl& control : coreGrid_.controls) {
    if (control.kind == CoreGridControl::Kind::kGroupBox) continue;
    bool label = control.kind == CoreGridControl::Kind::kLabel && control.id >= kPackageLabelControlBase;
    // A core's temperature opens the History on a double-click, as the
    // slots' do; a static hears the mouse only with SS_NOTIFY.
    bool temperature = IsExtraTemperatureControl(control.id);
    HWND child = CreateChild(L"STATIC", control.text,
                             WS_VISIBLE | SS_NOPREFIX | (label ? SS_LEFT : SS_CENTER) | (temperature ? SS_NOTIFY : 0),
                             control.id, control.rect);
    if (temperature && child != nullptr) {
      SetWindowSubclass(child, &MainWindow::TemperatureEditProcedure, kTemperatureSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    }
  }
  for (const CoreGridControl& control : coreGrid_.controls) {
    if (control.kind != CoreGridControl::Kind::kGroupBox) continue;
    CreateChild(L"BUTTON", control.text, WS_VISIBLE | BS_GROUPBOX, control.id, control.rect);
  }

  miniCells_ = ChooseMiniCells(types, packageCount);
  miniCellCount_ = MiniCellCount(miniCells_);
  miniStrip_ = LayOutMiniStrip(miniCellCount_, scale_);
  miniReadings_.resize(static_cast<size_t>(count));
  miniText_.reserve(32);
  // Shown only in mini mode.
  for (int cell = 0; cell < miniCellCount_; ++cell) {
    CreateChild(L"STATIC", {}, SS_NOPREFIX | SS_CENTER, MiniCellControlId(cell),
                miniStrip_.cells[static_cast<size_t>(cell)]);
  }

  MoveButtonsTo(coreGrid_.buttonsTop);
  FitWindowToGrid();
}

HWND MainWindow::CreateChild(const wchar_t* windowClass, const std::string& text, DWORD style, int id,
                             const WindowRect& rect) {
  HWND child = CreateWindowExW(0, windowClass, Widen(text).c_str(), WS_CHILD | style, rect.left,
                               rect.top, rect.Width(), rect.Height(), Handle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                               nullptr);
  if (child == nullptr) return nullptr;
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), FALSE);
  gridControls_.emplace_back(child);
  return child;
}

// The buttons stay along the bottom, below the table.
void MainWindow::MoveButtonsTo(int top) {
  for (int id : kButtons) {
    HWND button = GetDlgItem(Handle(), id);
    if (button == nullptr) continue;
    RECT rect = ChildRect(button);
    SetWindowPos(button, nullptr, rect.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The window grows to the table, and moves up or left where it would reach
// past its screen's work area; taller than that screen, it scrolls.
void MainWindow::FitWindowToGrid() {
  RECT frame = {};
  RECT client = {};
  ::GetWindowRect(Handle(), &frame);
  GetClientRect(Handle(), &client);
  RECT work = WorkAreaOf(Handle());
  int width = coreGrid_.clientWidth + (frame.right - frame.left) - client.right;
  int height = coreGrid_.clientHeight + (frame.bottom - frame.top) - client.bottom;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (coreGrid_.scrolls) {
    SetWindowLongW(Handle(), GWL_STYLE, GetWindowLongW(Handle(), GWL_STYLE) | WS_VSCROLL);
    width += GetSystemMetrics(SM_CXVSCROLL);
    height = std::min<int>(height, work.bottom - work.top);
    flags |= SWP_FRAMECHANGED;
  }
  int left = frame.left;
  int top = frame.top;
  if (left + width > work.right) left = std::max<int>(work.left, work.right - width);
  if (top + height > work.bottom) top = std::max<int>(work.top, work.bottom - height);
  SetWindowPos(Handle(), nullptr, left, top, width, height, flags);
  if (!coreGrid_.scrolls) return;
  GetClientRect(Handle(), &client);
  scrollPage_ = client.bottom;
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = coreGrid_.clientHeight - 1;
  info.nPage = static_cast<UINT>(scrollPage_);
  SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void MainWindow::ScrollTo(int position) {
  if (!coreGrid_.scrolls) return;
  position = std::clamp(position, 0, std::max(0, coreGrid_.clientHeight - scrollPage_));
  if (position == scrollPosition_) return;
  ScrollWindowEx(Handle(), 0, scrollPosition_ - position, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  scrollPosition_ = position;
  SetScrollPos(Handle(), SB_VERT, position, TRUE);
}

std::optional<intptr_t> MainWindow::OnVerticalScroll(const WindowMessage& message) {
  if (!coreGrid_.scrolls || message.lParam != 0) return std::nullopt;
  int line = DialogUnitsY(scale_, 10);
  int position = scrollPosition_;
  switch (LOWORD(message.wParam)) {
    case SB_LINEUP: position -= line; break;
    case SB_LINEDOWN: position += line; break;
    case SB_PAGEUP: position -= scrollPage_; break;
    case SB_PAGEDOWN: position += scrollPage_; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = coreGrid_.clientHeight; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info = {};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(Handle(), SB_VERT, &info)) position = info.nTrackPos;
      break;
    }
    default: break;
  }
  ScrollTo(position);
  return 0;
}

std::optional<intptr_t> MainWindow::OnMouseWheel(const WindowMessage& message) {
  if (!coreGrid_.scrolls || placement_.limitsActive) return std::nullopt;
  int notches = static_cast<short>(HIWORD(static_cast<DWORD_PTR>(message.wParam))) / WHEEL_DELTA;
  ScrollTo(scrollPosition_ - notches * kWheelRows * DialogUnitsY(scale_, 10));
  return 0;
}

void MainWindow::KeepHottestInView() {
  if (!coreGrid_.scrolls || placement_.limitsActive || !monitor_) return;
  auto show = [this](int top, int bottom) {
    if (top < scrollPosition_) ScrollTo(top);
    else if (bottom > scrollPosition_ + scrollPage_) ScrollTo(bottom - scrollPage_);
  };
  WindowRect package = coreGrid_.RectOf(kPackageGroupControl);
  if (package.bottom > 0) show(package.top, package.bottom);
  int hottest = monitor_->temperatures().HottestCore();
  if (hottest >= kCoreSlots) {
    WindowRect row = coreGrid_.RectOf(ExtraCoreControlId(hottest, CoreField::kLabel));
    show(row.top, row.bottom);
  } else if (hottest >= 0) {
    show(DialogUnitsY(scale_, kTemperatureBandTop), DialogUnitsY(scale_, kTemperatureBandBottom));
  }
}

// The strip of further temperatures shows over the controls below mini
// mode's top part, which stay hidden meanwhile.
void MainWindow::ShowMiniStrip(bool show) {
  if (miniCellCount_ == 0) return;
  if (!show) {
    for (int cell = 0; cell < miniCellCount_; ++cell) ShowWindow(GetDlgItem(Handle(), MiniCellControlId(cell)), SW_HIDE);
    for (HWND covered : coveredByStrip_) ShowWindow(covered, SW_SHOWNA);
    coveredByStrip_.clear();
    return;
  }
  RECT strip = {0, MiniClientHeight(scale_), 0x7FFF, MiniClientHeight(scale_) + miniStrip_.height};
  for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(child);
    if (id >= kMiniCellControlBase && id < kMiniCellControlBase + kMiniCells) continue;
    RECT rect = ChildRect(child);
    RECT overlap = {};
    if (IsWindowVisible(child) && IntersectRect(&overlap, &rect, &strip)) {
      ShowWindow(child, SW_HIDE);
      coveredByStrip_.push_back(child);
    }
  }
  for (int cell = 0; cell < miniCellCount_; ++cell) ShowWindow(GetDlgItem(Handle(), MiniCellControlId(cell)), SW_SHOWNA);
}

void MainWindow::PushMiniCells() {
  if (miniCellCount_ == 0 || !monitor_) return;
  const TemperatureMonitor& temperatures = monitor_->temperatures();
  for (size_t core = 0; core < miniReadings_.size(); ++core) {
    CoreReading reading = temperatures.Core(static_cast<int>(core));
    miniReadings_[core] = {reading.present, reading.hasReading, reading.type, reading.temperature};
  }
  for (int cell = 0; cell < miniCellCount_; ++cell) {
    MiniCellText(miniCells_[static_cast<size_t>(cell)], miniReadings_, monitor_->packages().temperatures(),
                 monitor_->settings().degreeSuffix, miniText_);
    Controls().SetText(MiniCellControlId(cell), miniText_);
  }
}

void MainWindow::OnOk() {
  HWND focus = GetFocus();
  if (focus != nullptr && GetParent(focus) == Handle() && GetDlgCtrlID(focus) == IDOK) Dialog::OnOk();
}

std::optional<intptr_t> MainWindow::OnSysCommand(const WindowMessage& message) {
  if ((message.wParam & 0xFFF0) == kHistoryCommand) {
    ShowHistory();
    return 0;
  }
  if ((message.wParam & 0xFFF0) != kAboutCommand) return std::nullopt;
  AboutDialog about(Handle(), desktop_, seams_.processor, monitor_->access().access(),
                    monitor_->cpu().loadUnavailable);
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
  coveredByStrip_.clear();
  gridControls_.clear();
  return std::nullopt;
}

// Log-off and shut-down: nothing to ask the user, the session may end.
std::optional<intptr_t> MainWindow::OnQueryEndSession(const WindowMessage&) { return TRUE; }

// Once this returns with the session ending, Windows may end the process at
// any moment without a WM_DESTROY: the shutdown runs here, before returning.
// The window then ends as Esc ends it, in case the process is left running
// (Wine leaves it so at times), and its destruction finds the shutdown done.
// A cancelled session end (wParam FALSE) changes nothing.
std::optional<intptr_t> MainWindow::OnEndSession(const WindowMessage& message) {
  if (message.wParam == FALSE || !monitor_) return 0;
  monitor_->ShutDown();
  EndDialog(IDCANCEL);
  return 0;
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
  return std::nullopt;
}

// The window has no need of its caption to be moved: a press on the client
// area (child controls take their own presses) drags it.
std::optional<intptr_t> MainWindow::OnLeftButtonDown(const WindowMessage& message) {
  dragOrigin_ = ClientPoint(message.lParam);
  dragging_ = true;
  SetCapture(Handle());
  return std::nullopt;
}

// The window follows the cursor, which so comes back to the drag origin:
// each move adds only the latest displacement.
std::optional<intptr_t> MainWindow::OnMouseMove(const WindowMessage& message) {
  if (dragging_) {
    POINT point = ClientPoint(message.lParam);
    RECT frame = {};
    ::GetWindowRect(Handle(), &frame);
    MoveWindow(Handle(), frame.left + point.x - dragOrigin_.x, frame.top + point.y - dragOrigin_.y,
               frame.right - frame.left, frame.bottom - frame.top, TRUE);
  } else if (!hoverTracking_) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = Handle();
    track.dwHoverTime = kHoverTimeMs;
    hoverTracking_ = TrackMouseEvent(&track) != FALSE;
  }
  return std::nullopt;
}

std::optional<intptr_t> MainWindow::OnLeftButtonUp(const WindowMessage&) {
  dragging_ = false;
  ReleaseCapture();
  return std::nullopt;
}

// A box or menu that takes the capture mid-drag ends the drag: without the
// capture no button-up would come, and the window would go on following a
// cursor whose button is no longer held.
std::optional<intptr_t> MainWindow::OnCaptureChanged(const WindowMessage& message) {
  if (reinterpret_cast<HWND>(message.lParam) != Handle()) dragging_ = false;
  return std::nullopt;
}

// Shift + right double-click sets the anchor; without Shift the window goes there.
std::optional<intptr_t> MainWindow::OnRightButtonDoubleClick(const WindowMessage& message) {
  if (!monitor_) return std::nullopt;
  bool shift = (message.wParam & MK_SHIFT) != 0;
  if (!shift) dragging_ = false;
  if (std::optional<std::string> text = monitor_->OnAnchorDoubleClick(shift)) {
    desktop_.ShowMessageBox(*text, kAnchorCaption, MessageBoxIcon::kNone, MessageBoxButtons::kOk);
  }
  return std::nullopt;
}

// The mini window keeps its width and may only grow taller, up to its limit.
std::optional<intptr_t> MainWindow::OnGetMinMaxInfo(const WindowMessage& message) {
  if (!placement_.limitsActive) return std::nullopt;
  auto* info = reinterpret_cast<MINMAXINFO*>(message.lParam);
  TrackLimits limits = MiniTrackLimits(placement_.limits);
  info->ptMaxSize = {limits.maxSizeWidth, limits.maxSizeHeight};
  info->ptMinTrackSize = {limits.minTrackWidth, limits.minTrackHeight};
  info->ptMaxTrackSize = {limits.maxTrackWidth, limits.maxTrackHeight};
  return 0;
}

// The dialog background and every control: the standard colours, then the
// user's for the current mode, then red for a core's status that ran hot.
std::optional<intptr_t> MainWindow::OnControlColour(const WindowMessage& message) {
  if (!monitor_ || gdiObjectsDeleted_) return std::nullopt;
  const AppSettings& settings = monitor_->settings();
  auto control = reinterpret_cast<HWND>(message.lParam);
  int controlId = message.id == WM_CTLCOLORDLG ? 0 : GetDlgCtrlID(control);
  ControlColours colours = ChooseControlColours(settings, settings.miniMode != 0, controlId,
                                                monitor_->temperatures().samples());
  // A further core's status runs red as the four slots' do.
  if (std::optional<CoreGridLayout::Hit> cell = ExtraCoreControlAt(controlId)) {
    if (cell->field == CoreField::kThermalStatus) {
      CoreReading reading = monitor_->temperatures().Core(cell->displayCore);
      if (reading.hotLogged) colours.text = reading.hotNow ? kHotNowColour : kHotLoggedColour;
    }
  }
  if (colours.brush == BackgroundBrush::kDialogDefault && !colours.text) return std::nullopt;

  auto dc = reinterpret_cast<HDC>(message.wParam);
  auto brush = reinterpret_cast<HBRUSH>(DefWindowProcW(Handle(), message.id, message.wParam, message.lParam));
  if (colours.brush == BackgroundBrush::kNormal) brush = normalBrush_.For(settings.guiColor);
  if (colours.brush == BackgroundBrush::kMini) brush = miniBrush_.For(settings.guiMiniColor);
  if (colours.background) SetBkColor(dc, *colours.background);
  if (colours.text) SetTextColor(dc, *colours.text);
  return reinterpret_cast<intptr_t>(brush);
}

std::optional<intptr_t> MainWindow::OnMouseHover(const WindowMessage& message) {
  if (monitor_) {
    POINT point = ClientPoint(message.lParam);
    RECT client = {};
    GetClientRect(Handle(), &client);
    // A scrolled window's content lies higher than its client point.
    if (std::optional<HoverReport> report = monitor_->HoverReportAt(
            point.x, point.y + scrollPosition_, client.right - client.left, scale_, &coreGrid_)) {
      if (report->kind == HoverReport::Kind::kGpuBox) {
        desktop_.ShowMessageBox(report->text, kGpuReportCaption, MessageBoxIcon::kNone, MessageBoxButtons::kOk);
      } else {
        ShowHoverPopup(point.x, point.y, report->text);
      }
    }
  }
  // The next movement asks for the next rest.
  hoverTracking_ = false;
  return 1;
}

std::optional<intptr_t> MainWindow::OnMouseLeave(const WindowMessage&) {
  hoverTracking_ = false;
  return 1;
}

// One item bearing the date, centred above the cursor; choosing it does nothing.
void MainWindow::ShowHoverPopup(int x, int y, const std::string& text) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  if (AppendMenuW(menu, MF_STRING, 0, Widen(text).c_str())) {
    POINT screen = {x, y};
    ClientToScreen(Handle(), &screen);
    TrackMenu(menu, TPM_CENTERALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD | TPM_NONOTIFY, screen);
  }
  DestroyMenu(menu);
}

// A menu whose owner is not the foreground window never sees the click
// elsewhere that should close it; the posted WM_NULL lets the owner's queue
// turn over once the menu is gone, or the next menu closes at once.
int MainWindow::TrackMenu(HMENU menu, UINT flags, POINT screen) {
  SetForegroundWindow(Handle());
  int command = TrackPopupMenu(menu, flags, screen.x, screen.y, 0, Handle(), nullptr);
  PostMessageW(Handle(), WM_NULL, 0, 0);
  return command;
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

// The monitor cycle goes on inside the dialog's modal loop, so the window
// shows each live change at its next update.
void MainWindow::OnSettings() {
  WindowRect frame = GetWindowRect();
  trayInteraction_->settingsOpen = true;
  HWND button = GetDlgItem(Handle(), IDC_SETTINGS);
  EnableWindow(button, FALSE);
  SettingsDialogLinks links{monitor_->settings(),
                            monitor_->tray(),
                            monitor_->clockModulation(),
                            seams_.settingsFile,
                            desktop_,
                            frame,
                            [this] { monitor_->ApplyTemperatureSettings(); },
                            [this] { monitor_->RequestRepaint(); },
                            [this](uint32_t colour) { normalBrush_.For(colour); },
                            [this](uint32_t colour) { miniBrush_.For(colour); },
                            startWithWindows_.get()};
  SettingsDialog dialog(Handle(), links);
  // The alarm program may run again at the next alarm.
  if (dialog.RunModal() == IDOK) monitor_->alarms().Rearm();
  EnableWindow(button, TRUE);
  trayInteraction_->settingsOpen = false;
  // OK and Cancel may both have changed whether custom colours are on.
  InvalidateAll();
}

WindowRect MainWindow::GetWindowRect() {
  RECT rect = {};
  ::GetWindowRect(Handle(), &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

WindowRect MainWindow::FullWindowRect() {
  WindowRect now = GetWindowRect();
  if (!placement_.limitsActive) return now;
  return RestoreFullWindow(placement_.fullRect, placement_.miniRect, now, scale_);
}

bool MainWindow::IsMinimized() { return IsIconic(Handle()) != FALSE; }

bool MainWindow::IsOnWorkArea(int x, int y) { return korvath::IsOnWorkArea(x, y); }

std::vector<WindowRect> MainWindow::WorkAreas() { return ConnectedWorkAreas(); }

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

// The Settings dialog asks for a repaint after changing the colours.
void MainWindow::InvalidateAll() {
  ApplyGroupBoxTheme();
  InvalidateRect(Handle(), nullptr, TRUE);
}

// Each control's text is compared before it is set (Win32ControlSurface), so
// only what changed is redrawn.
void MainWindow::PushTexts(const DisplayTexts& texts) {
  texts.PushTo(Controls());
  PushMiniCells();
  KeepHottestInView();
}

uintptr_t MainWindow::SetTimer(uintptr_t timerId, uint32_t periodMs) {
  return ::SetTimer(Handle(), timerId, periodMs, nullptr);
}

void MainWindow::KillTimer(uintptr_t timerId) { ::KillTimer(Handle(), timerId); }

void MainWindow::Minimize() { ShowWindow(Handle(), SW_MINIMIZE); }

void MainWindow::FlashOnce() { FlashWindow(Handle(), TRUE); }

void MainWindow::ApplyMiniMode(bool enter) {
  if (enter) EnterMiniMode();
  else LeaveMiniMode();
  ApplyGroupBoxTheme();
}

void MainWindow::MoveWindowTo(const WindowRect& rect, UINT extraFlags) {
  SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE | extraFlags);
}

// The caption-less window shows the top 312 x 118 pixels (at 96 DPI) of the
// unchanged client layout. The frame the system gives the new style is only
// known once the window has it, so it is sized once, measured, then laid out.
void MainWindow::EnterMiniMode() {
  // Entered twice, the mini style would be kept as the one to go back to.
  if (placement_.limitsActive) return;
  // Mini mode shows the top of the layout, and no scroll bar.
  ScrollTo(0);
  placement_.fullRect = GetWindowRect();
  placement_.savedStyle = static_cast<uint32_t>(GetWindowLongW(Handle(), GWL_STYLE));
  SetWindowLongW(Handle(), GWL_STYLE,
                 static_cast<LONG>(MiniModeStyle(placement_.savedStyle) & ~static_cast<uint32_t>(WS_VSCROLL)));
  const WindowRect& full = placement_.fullRect;
  int miniHeight = MiniClientHeight(scale_) + miniStrip_.height;
  MoveWindowTo({full.left, full.top, full.left + MiniClientWidth(scale_), full.top + miniHeight}, SWP_FRAMECHANGED);
  RECT client = {};
  GetClientRect(Handle(), &client);
  MiniLayout layout = LayOutMiniWindow(full, client.right - client.left, client.bottom - client.top, scale_,
                                       miniStrip_.height);
  placement_.miniRect = layout.miniRect;
  placement_.limits = layout.limits;
  placement_.limitsActive = true;
  ShowMiniStrip(true);
  MoveWindowTo(placement_.miniRect);
  InvalidateRect(Handle(), nullptr, TRUE);
}

// A double-click before the first tick has laid out a mini window finds
// nothing to leave. A full window that would open off every screen opens
// where the mini window is.
void MainWindow::LeaveMiniMode() {
  if (!placement_.limitsActive) return;
  placement_.limitsActive = false;
  WindowRect mini = GetWindowRect();
  placement_.fullRect = KeepOnScreen(RestoreFullWindow(placement_.fullRect, placement_.miniRect, mini, scale_), mini,
                                     [this](ScreenPoint point) { return IsOnWorkArea(point.x, point.y); });
  ShowMiniStrip(false);
  SetWindowLongW(Handle(), GWL_STYLE, static_cast<LONG>(placement_.savedStyle));
  MoveWindowTo(placement_.fullRect, SWP_FRAMECHANGED);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void MainWindow::DeleteGdiObjects() {
  for (int id = IDC_TEMPERATURE0; id <= IDC_DISTANCE3; ++id) {
    SendDlgItemMessageW(Handle(), id, WM_SETFONT, 0, FALSE);
  }
  displayFont_.Reset();
  // Nothing paints with them any more, and nothing makes them again.
  gdiObjectsDeleted_ = true;
  normalBrush_.Reset();
  miniBrush_.Reset();
}

bool MainWindow::IsVisible() { return IsWindowVisible(Handle()) != FALSE; }

void MainWindow::Hide() { ShowWindow(Handle(), SW_HIDE); }

void MainWindow::ShowInTaskBar() {
  if (!IsWindowVisible(Handle())) ShowWindow(Handle(), SW_SHOWMINNOACTIVE);
}

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
  int command = TrackMenu(menu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor);
  DestroyMenu(menu);
  return command;
}

void MainWindow::EndWindow() { EndDialog(IDCANCEL); }

void MainWindow::ResetStatistics() { monitor_->ResetStatistics(); }

void MainWindow::ShowHistory() {
  if (history_) history_->Show();
}

void MainWindow::HistoryRecorded() {
  if (history_) history_->Recorded();
}

IconHandle MainWindow::LateTrayPainter::DrawIcon(const std::string& text, uint32_t colour, int fontNumber) {
  return painter ? painter->DrawIcon(text, colour, fontNumber) : 0;
}

void MainWindow::LateTrayPainter::DestroyIcon(IconHandle icon) {
  if (painter) painter->DestroyIcon(icon);
}

}  // namespace korvath
