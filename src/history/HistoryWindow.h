// The History window ("Korvath History"): a resizable top-level window owned
// by the main window that draws the history with GDI into a memory bitmap
// (no flicker), with the range choice, the legend that switches lines, the
// read-out under the mouse and the export. What it draws is worked out by
// HistoryChart; this class only paints it and turns messages into calls.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "history/HistoryChart.h"
#include "history/HistoryLegend.h"
#include "history/HistoryRange.h"
#include "platform/win32/Win32Holders.h"
#include "ui/LayoutScale.h"
#include "ui/MessageMap.h"
#include "ui/WindowRect.h"

namespace korvath {

class Desktop;
class FileWriter;
class ProfileStore;
class TimeSource;
struct AppSettings;

inline constexpr const char* kHistoryCaption = "Korvath History";

struct HistoryWindowLinks {
  const HistoryStore& store;
  const AppSettings& settings;  // the degree suffix, Alarm1 and TjMax
  ProfileStore& settingsFile;   // HistoryXY, HistorySize, HistoryRange
  Desktop& desktop;             // the file picker and the failure box
  FileWriter& files;            // the exported file
  TimeSource& time;             // the local clock's offset
};

class HistoryWindow {
 public:
  HistoryWindow(HWND owner, const HistoryWindowLinks& links);
  ~HistoryWindow();
  HistoryWindow(const HistoryWindow&) = delete;
  HistoryWindow& operator=(const HistoryWindow&) = delete;

  // Opens the window where it was last closed, or brings it forward.
  void Show();
  // A new second was recorded: redrawn only while it can be seen.
  void Recorded();
  HWND Handle() const { return window_; }

  // The whole picture for a client area of this size into dc; the
  // benchmark draws through it on a memory device context.
  void Draw(HDC dc, int width, int height);

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam);
  std::optional<intptr_t> HandleMessage(const WindowMessage& message);

  std::optional<intptr_t> OnCreate(const WindowMessage& message);
  std::optional<intptr_t> OnPaint(const WindowMessage& message);
  std::optional<intptr_t> OnEraseBackground(const WindowMessage& message);
  std::optional<intptr_t> OnSize(const WindowMessage& message);
  std::optional<intptr_t> OnMove(const WindowMessage& message);
  std::optional<intptr_t> OnGetMinMaxInfo(const WindowMessage& message);
  std::optional<intptr_t> OnMouseMove(const WindowMessage& message);
  std::optional<intptr_t> OnMouseLeave(const WindowMessage& message);
  std::optional<intptr_t> OnLeftButtonDown(const WindowMessage& message);
  std::optional<intptr_t> OnKeyDown(const WindowMessage& message);
  std::optional<intptr_t> OnDestroy(const WindowMessage& message);
  std::optional<intptr_t> OnControlColour(const WindowMessage& message);
  void OnRangeChosen(int controlId);
  void OnSaveCsv();

  void MeasureScale();
  void LayOutControls(int width);
  void RememberNormalRect();
  int64_t LocalOffset();
  PlotArea PlotFor(int width, int height) const;
  void DrawGrid(HDC dc, const std::vector<TimeTick>& ticks, int64_t offset);
  void DrawThreshold(HDC dc, int degrees, COLORREF colour, int style);
  void DrawLoad(HDC dc);
  void DrawSeries(HDC dc);
  void DrawLegend(HDC dc, int width);
  void DrawReadout(HDC dc, int64_t offset);
  void PolylinesOf(HDC dc, const ChartLine& line);

  HWND owner_;
  HistoryWindowLinks links_;
  HWND window_ = nullptr;
  HistoryChart chart_;
  LegendState legend_;
  HistoryRange range_ = HistoryRange::kTenMinutes;
  LayoutScale scale_;
  FontHolder font_;
  SolidBrush controlBackground_;  // the range choice on the window's white
  MemoryDc backDc_;
  BitmapHolder backBitmap_;
  SIZE backSize_ = {};
  WindowRect normalRect_;
  std::vector<RECT> legendRows_;  // client rectangles of the legend's entries
  std::optional<int> hoverX_;     // the mouse over the plot
  bool trackingLeave_ = false;
  // Buffers kept from one drawing to the next.
  ChartLine line_;
  std::vector<POINT> polygon_;
};

}  // namespace korvath
