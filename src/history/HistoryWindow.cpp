#include "history/HistoryWindow.h"

#include <algorithm>

#include "config/AppSettings.h"
#include "history/HistoryCsv.h"
#include "history/HistoryPalette.h"
#include "history/HistoryPlace.h"
#include "history/HistoryTime.h"
#include "platform/Desktop.h"
#include "platform/FileWriter.h"
#include "platform/TextFormat.h"
#include "platform/TimeSource.h"
#include "ui/Win32WorkAreas.h"

namespace korvath {
namespace {

constexpr wchar_t kClassName[] = L"KorvathHistory";
constexpr int kRangeFirstId = 201;  // 201-203: the ranges in kHistoryRanges order
constexpr int kSaveCsvId = 210;

// Figures at 96 DPI; the window scales them with the screen's DPI.
constexpr int kMargin = 8;
constexpr int kBarHeight = 24;
constexpr int kRangeWidths[] = {64, 64, 76};
constexpr int kSaveWidth = 104;
constexpr int kAxisWidth = 52;
constexpr int kTimeHeight = 24;
constexpr int kLegendWidth = 112;
constexpr int kLegendRow = 18;
constexpr int kSwatch = 12;
constexpr int kTickSpacingY = 24;
constexpr int kTickSpacingX = 70;
constexpr int kDefaultWidth = 720;
constexpr int kDefaultHeight = 440;
constexpr int kMinimumWidth = 420;
constexpr int kMinimumHeight = 260;
constexpr int kFontPoints = 8;

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kGridColour = RGB(224, 224, 224);
constexpr COLORREF kTextColour = RGB(0, 0, 0);
constexpr COLORREF kHiddenColour = RGB(160, 160, 160);
constexpr COLORREF kHoverColour = RGB(96, 96, 96);
constexpr COLORREF kReadoutBackground = RGB(255, 255, 225);

static_assert(sizeof(ChartPoint) == sizeof(POINT) && offsetof(ChartPoint, y) == offsetof(POINT, y),
              "chart points are drawn as they are");

POINT ClientPoint(LPARAM lParam) {
  return {static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam))),
          static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
}

void TextAt(HDC dc, const std::wstring& text, RECT rect, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_NOPREFIX | DT_SINGLELINE);
}

}  // namespace

HistoryWindow::HistoryWindow(HWND owner, const HistoryWindowLinks& links)
    : owner_(owner), links_(links), chart_(links.store) {}

HistoryWindow::~HistoryWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void HistoryWindow::Show() {
  if (window_ != nullptr) {
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    return;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  if (!GetClassInfoExW(instance, kClassName, &windowClass)) {
    windowClass.lpfnWndProc = &HistoryWindow::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = reinterpret_cast<HICON>(SendMessageW(owner_, WM_GETICON, ICON_BIG, 0));
    windowClass.hIconSm = reinterpret_cast<HICON>(SendMessageW(owner_, WM_GETICON, ICON_SMALL, 0));
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) return;
  }
  MeasureScale();
  HistoryPlace place =
      ReadHistoryPlace(links_.settingsFile, scale_.X(kMinimumWidth), scale_.Y(kMinimumHeight), ConnectedWorkAreas());
  range_ = place.range;
  WindowRect rect;
  if (place.rect) {
    rect = *place.rect;
  } else {
    // Right of the main window, so that both show; over it where the screen
    // ends there, and at the screen's corner where the main window is off it.
    RECT ownerRect = {};
    GetWindowRect(owner_, &ownerRect);
    int width = scale_.X(kDefaultWidth);
    rect = {ownerRect.right + scale_.X(kMargin), ownerRect.top, 0, 0};
    if (!IsOnWorkArea(rect.left + width - 1, rect.top)) {
      rect = {ownerRect.left + scale_.X(40), ownerRect.top + scale_.Y(40), 0, 0};
    }
    if (!IsOnWorkArea(rect.left, rect.top)) rect.left = rect.top = 0;
    rect.right = rect.left + width;
    rect.bottom = rect.top + scale_.Y(kDefaultHeight);
  }
  normalRect_ = rect;
  legend_ = InitialLegend(links_.store);
  std::wstring caption = Widen(kHistoryCaption);
  window_ = CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect.left, rect.top,
                            rect.Width(), rect.Height(), owner_, nullptr, instance, this);
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
}

void HistoryWindow::Recorded() {
  if (window_ != nullptr && IsWindowVisible(window_) && !IsIconic(window_)) InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK HistoryWindow::WindowProcedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
  if (id == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<HistoryWindow*>(create->lpCreateParams)->window_ = window;
  }
  auto* self = reinterpret_cast<HistoryWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, id, wParam, lParam);
  if (id == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    return DefWindowProcW(window, id, wParam, lParam);
  }
  // No exception may cross into the window system.
  try {
    if (std::optional<intptr_t> result = self->HandleMessage({id, wParam, lParam})) return *result;
  } catch (...) {
  }
  return DefWindowProcW(window, id, wParam, lParam);
}

std::optional<intptr_t> HistoryWindow::HandleMessage(const WindowMessage& message) {
  static constexpr MessageEntry<HistoryWindow> kMessageMap[] = {
      OnMessage(WM_CREATE, &HistoryWindow::OnCreate),
      OnMessage(WM_PAINT, &HistoryWindow::OnPaint),
      OnMessage(WM_ERASEBKGND, &HistoryWindow::OnEraseBackground),
      OnMessage(WM_SIZE, &HistoryWindow::OnSize),
      OnMessage(WM_MOVE, &HistoryWindow::OnMove),
      OnMessage(WM_GETMINMAXINFO, &HistoryWindow::OnGetMinMaxInfo),
      OnMessage(WM_MOUSEMOVE, &HistoryWindow::OnMouseMove),
      OnMessage(WM_MOUSELEAVE, &HistoryWindow::OnMouseLeave),
      OnMessage(WM_LBUTTONDOWN, &HistoryWindow::OnLeftButtonDown),
      OnMessage(WM_KEYDOWN, &HistoryWindow::OnKeyDown),
      OnMessage(WM_DESTROY, &HistoryWindow::OnDestroy),
      OnMessage(WM_CTLCOLORSTATIC, &HistoryWindow::OnControlColour),
      OnCommandRange(kRangeFirstId, kRangeFirstId + 2, kButtonClicked, &HistoryWindow::OnRangeChosen),
      OnCommand(kSaveCsvId, kButtonClicked, &HistoryWindow::OnSaveCsv),
  };
  return RouteMessage(kMessageMap, *this, message);
}

// The screen's DPI against 96: fonts, margins and line widths grow with it.
void HistoryWindow::MeasureScale() {
  WindowDc dc(nullptr);
  int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
  if (dpi <= 0) dpi = 96;
  scale_ = {dpi, dpi, 96, 96};
  font_.Reset(CreateFontW(-ScaleLength(kFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                          VARIABLE_PITCH | FF_SWISS, L"Tahoma"));
}

std::optional<intptr_t> HistoryWindow::OnCreate(const WindowMessage&) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (int i = 0; i < 3; ++i) {
    std::wstring label = Widen(RangeLabel(kHistoryRanges[i]));
    DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    HWND button = CreateWindowExW(0, L"BUTTON", label.c_str(), style, 0, 0, 0, 0, window_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRangeFirstId + i)), instance, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    if (kHistoryRanges[i] == range_) SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
  }
  HWND save = CreateWindowExW(0, L"BUTTON", L"Save as CSV...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                              0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSaveCsvId)), instance,
                              nullptr);
  SendMessageW(save, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  return 0;
}

void HistoryWindow::LayOutControls(int width) {
  int x = scale_.X(kMargin);
  int y = scale_.Y(kMargin / 2);
  int height = scale_.Y(kBarHeight) - y;
  for (int i = 0; i < 3; ++i) {
    MoveWindow(GetDlgItem(window_, kRangeFirstId + i), x, y, scale_.X(kRangeWidths[i]), height, TRUE);
    x += scale_.X(kRangeWidths[i]);
  }
  int saveWidth = scale_.X(kSaveWidth);
  MoveWindow(GetDlgItem(window_, kSaveCsvId), std::max(x, width - scale_.X(kMargin) - saveWidth), y, saveWidth,
             height, TRUE);
}

std::optional<intptr_t> HistoryWindow::OnSize(const WindowMessage& message) {
  LayOutControls(LOWORD(static_cast<DWORD_PTR>(message.lParam)));
  RememberNormalRect();
  InvalidateRect(window_, nullptr, FALSE);
  return 0;
}

std::optional<intptr_t> HistoryWindow::OnMove(const WindowMessage&) {
  RememberNormalRect();
  return std::nullopt;
}

// The place kept is that of the window as it stands restored.
void HistoryWindow::RememberNormalRect() {
  if (window_ == nullptr || IsIconic(window_) || IsZoomed(window_)) return;
  RECT rect = {};
  GetWindowRect(window_, &rect);
  normalRect_ = {rect.left, rect.top, rect.right, rect.bottom};
}

std::optional<intptr_t> HistoryWindow::OnGetMinMaxInfo(const WindowMessage& message) {
  auto* info = reinterpret_cast<MINMAXINFO*>(message.lParam);
  info->ptMinTrackSize = {scale_.X(kMinimumWidth), scale_.Y(kMinimumHeight)};
  return 0;
}

std::optional<intptr_t> HistoryWindow::OnDestroy(const WindowMessage&) {
  WriteHistoryPlace(links_.settingsFile, normalRect_, range_);
  return 0;
}

std::optional<intptr_t> HistoryWindow::OnControlColour(const WindowMessage& message) {
  SetBkColor(reinterpret_cast<HDC>(message.wParam), kBackground);
  return reinterpret_cast<intptr_t>(controlBackground_.For(kBackground));
}

std::optional<intptr_t> HistoryWindow::OnKeyDown(const WindowMessage& message) {
  if (message.wParam != VK_ESCAPE) return std::nullopt;
  PostMessageW(window_, WM_CLOSE, 0, 0);
  return 0;
}

void HistoryWindow::OnRangeChosen(int controlId) {
  range_ = kHistoryRanges[controlId - kRangeFirstId];
  InvalidateRect(window_, nullptr, FALSE);
}

std::optional<intptr_t> HistoryWindow::OnEraseBackground(const WindowMessage&) { return 1; }

std::optional<intptr_t> HistoryWindow::OnMouseMove(const WindowMessage& message) {
  POINT point = ClientPoint(message.lParam);
  RECT client = {};
  GetClientRect(window_, &client);
  PlotArea plot = PlotFor(client.right, client.bottom);
  std::optional<int> x;
  if (point.x >= plot.left && point.x <= plot.right && point.y >= plot.top && point.y <= plot.bottom) x = point.x;
  if (x != hoverX_) {
    hoverX_ = x;
    InvalidateRect(window_, nullptr, FALSE);
  }
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window_;
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  return 0;
}

std::optional<intptr_t> HistoryWindow::OnMouseLeave(const WindowMessage&) {
  trackingLeave_ = false;
  if (hoverX_) {
    hoverX_.reset();
    InvalidateRect(window_, nullptr, FALSE);
  }
  return 0;
}

std::optional<intptr_t> HistoryWindow::OnLeftButtonDown(const WindowMessage& message) {
  POINT point = ClientPoint(message.lParam);
  for (size_t entry = 0; entry < legendRows_.size(); ++entry) {
    if (!PtInRect(&legendRows_[entry], point)) continue;
    legend_.Toggle(entry);
    InvalidateRect(window_, nullptr, FALSE);
    break;
  }
  return 0;
}

// The shown range and lines as they are drawn now, under a name the user
// picks; the box belongs to this window and leaves the current folder (where
// the log goes) as it was.
void HistoryWindow::OnSaveCsv() {
  OpenFileRequest request;
  request.title = "Save History as CSV";
  request.initialName = "KorvathHistory.csv";
  request.filter = "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||";
  request.mustExist = false;
  request.save = true;
  request.owner = reinterpret_cast<OwnerWindow>(window_);
  std::optional<std::string> path = links_.desktop.PickOpenFile(request);
  if (!path) return;
  RECT client = {};
  GetClientRect(window_, &client);
  chart_.Prepare(range_, legend_.shown, PlotFor(client.right, client.bottom), scale_.Y(kTickSpacingY),
                 links_.settings.alarm1, links_.settings.tjMax[0]);
  std::string text = HistoryCsvText(chart_, links_.store, legend_.shown, LocalOffset());
  if (!links_.files.WriteWhole(*path, text)) {
    links_.desktop.ShowMessageBox("The history could not be written to " + *path + ".", kHistoryCaption,
                                  MessageBoxIcon::kError, MessageBoxButtons::kOk,
                                  reinterpret_cast<OwnerWindow>(window_));
  }
}

int64_t HistoryWindow::LocalOffset() {
  int64_t now = links_.time.UnixTime();
  return LocalOffsetSeconds(links_.time.LocalNow(), now);
}

PlotArea HistoryWindow::PlotFor(int width, int height) const {
  PlotArea plot;
  plot.left = scale_.X(kAxisWidth);
  plot.top = scale_.Y(kBarHeight + kMargin);
  plot.right = std::max(plot.left + 1, width - scale_.X(kLegendWidth + kMargin));
  plot.bottom = std::max(plot.top + 1, height - scale_.Y(kTimeHeight));
  return plot;
}

std::optional<intptr_t> HistoryWindow::OnPaint(const WindowMessage&) {
  PaintDc paint(window_);
  RECT client = {};
  GetClientRect(window_, &client);
  if (client.right <= 0 || client.bottom <= 0) return 0;
  // One bitmap the size of the client area, made again only when it grows
  // or shrinks: the picture is put on the screen in one step.
  if (!backDc_ || backSize_.cx != client.right || backSize_.cy != client.bottom) {
    backBitmap_.Reset();
    backDc_.Reset(CreateCompatibleDC(paint.Get()));
    backBitmap_.Reset(CreateCompatibleBitmap(paint.Get(), client.right, client.bottom));
    backSize_ = {client.right, client.bottom};
  }
  if (!backDc_ || !backBitmap_) return 0;
  {
    SelectionScope bitmap(backDc_.Get(), backBitmap_.Get());
    Draw(backDc_.Get(), client.right, client.bottom);
    BitBlt(paint.Get(), 0, 0, client.right, client.bottom, backDc_.Get(), 0, 0, SRCCOPY);
  }
  return 0;
}

void HistoryWindow::Draw(HDC dc, int width, int height) {
  RECT all = {0, 0, width, height};
  BrushHolder background(CreateSolidBrush(kBackground));
  FillRect(dc, &all, background.Get());
  SelectionScope font(dc, font_.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kTextColour);

  PlotArea plot = PlotFor(width, height);
  chart_.Prepare(range_, legend_.shown, plot, scale_.Y(kTickSpacingY), links_.settings.alarm1,
                 links_.settings.tjMax[0]);
  int64_t offset = LocalOffset();
  std::vector<TimeTick> ticks = chart_.TimeTicks(scale_.X(kTickSpacingX), offset);
  DrawLoad(dc);
  if (legend_.bandShown) {
    chart_.BuildCoreBand(line_);
    BrushHolder band(CreateSolidBrush(kCoreBandColour));
    PenHolder none(CreatePen(PS_NULL, 0, 0));
    SelectionScope brush(dc, band.Get());
    SelectionScope pen(dc, none.Get());
    const POINT* points = reinterpret_cast<const POINT*>(line_.points.data());
    for (int run : line_.runs) {
      if (run >= 3) Polygon(dc, points, run);
      points += run;
    }
  }
  DrawGrid(dc, ticks, offset);
  DrawThreshold(dc, links_.settings.alarm1, kAlarmLineColour, PS_SOLID);
  DrawThreshold(dc, links_.settings.tjMax[0], kTjMaxLineColour, PS_DOT);
  DrawSeries(dc);
  DrawLegend(dc, width);
  if (hoverX_) DrawReadout(dc, offset);
}

void HistoryWindow::DrawGrid(HDC dc, const std::vector<TimeTick>& ticks, int64_t offset) {
  const PlotArea& plot = chart_.area();
  const ValueAxis& axis = chart_.axis();
  PenHolder grid(CreatePen(PS_SOLID, 1, kGridColour));
  PenHolder frame(CreatePen(PS_SOLID, 1, kHiddenColour));
  SelectionScope pen(dc, grid.Get());
  int gap = scale_.X(4);
  int textHeight = scale_.Y(kTickSpacingY);
  for (int degrees = axis.low; degrees <= axis.high; degrees += axis.step) {
    int y = chart_.YOfTemperature(degrees * 10);
    MoveToEx(dc, plot.left, y, nullptr);
    LineTo(dc, plot.right, y);
    std::wstring label = Widen(std::to_string(degrees) + links_.settings.degreeSuffix);
    TextAt(dc, label, {0, y - textHeight / 2, plot.left - gap, y + textHeight / 2}, DT_RIGHT | DT_VCENTER);
  }
  for (const TimeTick& tick : ticks) {
    MoveToEx(dc, tick.x, plot.top, nullptr);
    LineTo(dc, tick.x, plot.bottom);
    std::wstring label = Widen(ClockText(tick.time, offset, false));
    int half = scale_.X(kTickSpacingX) / 2;
    TextAt(dc, label, {tick.x - half, plot.bottom + gap, tick.x + half, plot.bottom + scale_.Y(kTimeHeight)},
           DT_CENTER | DT_TOP);
  }
  SelectionScope framePen(dc, frame.Get());
  SelectionScope noFill(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, plot.left, plot.top, plot.right + 1, plot.bottom + 1);
}

void HistoryWindow::DrawThreshold(HDC dc, int degrees, COLORREF colour, int style) {
  const PlotArea& plot = chart_.area();
  const ValueAxis& axis = chart_.axis();
  if (degrees <= 0 || degrees < axis.low || degrees > axis.high) return;
  PenHolder line(CreatePen(style, style == PS_SOLID ? scale_.X(1) : 1, colour));
  SelectionScope pen(dc, line.Get());
  int y = chart_.YOfTemperature(degrees * 10);
  MoveToEx(dc, plot.left, y, nullptr);
  LineTo(dc, plot.right, y);
}

// The load as a shaded band rising from the bottom of the plot.
void HistoryWindow::DrawLoad(HDC dc) {
  BrushHolder shade(CreateSolidBrush(kLoadBandColour));
  PenHolder none(CreatePen(PS_NULL, 0, 0));
  SelectionScope brush(dc, shade.Get());
  SelectionScope pen(dc, none.Get());
  int bottom = chart_.area().bottom;
  for (size_t s = 0; s < links_.store.SeriesCount(); ++s) {
    if (!legend_.shown[s] || links_.store.Series(s).kind != SeriesKind::kLoad) continue;
    chart_.BuildLine(s, line_);
    size_t first = 0;
    for (int run : line_.runs) {
      polygon_.assign(reinterpret_cast<const POINT*>(line_.points.data() + first),
                      reinterpret_cast<const POINT*>(line_.points.data() + first + run));
      polygon_.push_back({polygon_.back().x, bottom});
      polygon_.push_back({polygon_.front().x, bottom});
      Polygon(dc, polygon_.data(), static_cast<int>(polygon_.size()));
      first += static_cast<size_t>(run);
    }
  }
}

// One call per run: PolyPolyline draws nothing at all when any run has a
// single point, and a lone reading between two gaps is drawn as a dot.
void HistoryWindow::PolylinesOf(HDC dc, const ChartLine& line) {
  const POINT* points = reinterpret_cast<const POINT*>(line.points.data());
  for (int run : line.runs) {
    if (run >= 2) {
      Polyline(dc, points, run);
    } else {
      MoveToEx(dc, points->x, points->y, nullptr);
      LineTo(dc, points->x + 1, points->y);
    }
    points += run;
  }
}

// Cores in thin lines of their own colours, the package thick, the GPU dashed.
void HistoryWindow::DrawSeries(HDC dc) {
  std::span<const HistorySeries> all(&links_.store.Series(0), links_.store.SeriesCount());
  for (size_t s = 0; s < all.size(); ++s) {
    SeriesKind kind = all[s].kind;
    if (!legend_.shown[s] || kind == SeriesKind::kLoad) continue;
    COLORREF colour = SeriesColour(all, s);
    PenHolder line;
    if (kind == SeriesKind::kGpu) {
      LOGBRUSH brush = {BS_SOLID, colour, 0};
      line.Reset(ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, static_cast<DWORD>(scale_.X(2)), &brush, 0,
                              nullptr));
    } else {
      line.Reset(CreatePen(PS_SOLID, scale_.X(kind == SeriesKind::kPackage ? 3 : 1), colour));
    }
    SelectionScope pen(dc, line.Get());
    chart_.BuildLine(s, line_);
    PolylinesOf(dc, line_);
  }
}

void HistoryWindow::DrawLegend(HDC dc, int width) {
  std::span<const HistorySeries> all(&links_.store.Series(0), links_.store.SeriesCount());
  legendRows_.clear();
  int left = width - scale_.X(kLegendWidth);
  int top = chart_.area().top;
  int row = scale_.Y(kLegendRow);
  int swatch = scale_.X(kSwatch);
  for (size_t entry = 0; entry < legend_.EntryCount(); ++entry) {
    bool band = entry >= all.size();
    bool shown = band ? legend_.bandShown : legend_.shown[entry];
    COLORREF colour = band ? kCoreBandColour : SeriesColour(all, entry);
    RECT rect = {left, top, width - scale_.X(kMargin) / 2, top + row};
    legendRows_.push_back(rect);
    RECT box = {left, top + (row - swatch) / 2, left + swatch, top + (row - swatch) / 2 + swatch};
    // A hidden line keeps only the outline of its colour, and its name greys.
    BrushHolder fill(CreateSolidBrush(colour));
    if (shown) FillRect(dc, &box, fill.Get());
    FrameRect(dc, &box, fill.Get());
    SetTextColor(dc, shown ? kTextColour : kHiddenColour);
    std::wstring name = Widen(band ? std::string("All cores") : all[entry].name);
    TextAt(dc, name, {box.right + scale_.X(6), top, rect.right, top + row}, DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);
    top += row;
  }
  SetTextColor(dc, kTextColour);
}

// A line down the plot at the mouse, and the time and values in a box
// beside it, turned to the left near the right edge.
void HistoryWindow::DrawReadout(HDC dc, int64_t offset) {
  const PlotArea& plot = chart_.area();
  int x = chart_.XOfStep(chart_.StepAt(*hoverX_));
  PenHolder marker(CreatePen(PS_SOLID, 1, kHoverColour));
  SelectionScope pen(dc, marker.Get());
  MoveToEx(dc, x, plot.top, nullptr);
  LineTo(dc, x, plot.bottom);
  std::wstring text = Widen(chart_.ReadoutAt(*hoverX_, legend_.shown, links_.settings.degreeSuffix, offset));
  RECT box = {0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_NOPREFIX);
  int pad = scale_.X(4);
  int boxWidth = box.right + 2 * pad;
  int boxHeight = box.bottom + 2 * pad;
  int left = x + pad * 2;
  if (left + boxWidth > plot.right) left = x - pad * 2 - boxWidth;
  RECT frame = {left, plot.top + pad, left + boxWidth, plot.top + pad + boxHeight};
  BrushHolder fill(CreateSolidBrush(kReadoutBackground));
  SelectionScope brush(dc, fill.Get());
  Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
  RECT inside = {frame.left + pad, frame.top + pad, frame.right - pad, frame.bottom - pad};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inside, DT_LEFT | DT_NOPREFIX);
}

}  // namespace korvath
