// The main window's geometry without the window: the anchor position, mini
// mode's rectangles and size limits, and where a resting cursor asks for a
// report. MainWindow applies the results to the real window. Every pixel
// figure here is the one at 96 DPI and goes through the window's LayoutScale.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "config/SettingsFile.h"
#include "hw/TemperatureStats.h"
#include "monitor/MainWindowView.h"
#include "ui/LayoutScale.h"
#include "ui/WindowReachable.h"

namespace korvath {

inline constexpr int kMiniClientWidth = 312;
inline constexpr int kMiniClientHeight = 118;
// How much taller than its first height the mini window may be dragged.
inline constexpr int kMiniExtraHeight = 250;
// Mini mode drops caption, system menu and the minimize and maximize boxes,
// and takes a sizing border.
inline constexpr uint32_t kMiniStyleKeep = 0xFF34FFFF;
inline constexpr uint32_t kMiniStyleAdd = 0x00040000;

inline uint32_t MiniModeStyle(uint32_t savedStyle) { return (savedStyle & kMiniStyleKeep) | kMiniStyleAdd; }

struct MiniSizeLimits {
  int width = 0;
  int minHeight = 0;
  int maxHeight = 0;
};

// What mini mode keeps of the window while the program runs. The mini-mode
// flag itself is the "MiniMode" setting and the anchor is Monitor's, since
// both outlive the window.
struct WindowPlacement {
  WindowRect fullRect;  // the normal window, moved along with the mini one
  WindowRect miniRect;  // the mini window as laid out on entering
  uint32_t savedStyle = 0;
  MiniSizeLimits limits;
  bool limitsActive = false;
};

struct MiniLayout {
  WindowRect miniRect;
  MiniSizeLimits limits;
};

// The mini window's client size: 312 x 118 at 96 DPI.
int MiniClientWidth(const LayoutScale& scale);
int MiniClientHeight(const LayoutScale& scale);

// Lays out the mini window for a full window at `full`, once the window has
// been sized to the mini client size with the mini style and reports a client
// area of clientWidth x clientHeight: the client area becomes exactly the mini
// client size, the window is centred over the full one and never ends above
// y = 4. A processor with more than four cores adds the strip of its
// further temperatures below, stripHeight pixels.
MiniLayout LayOutMiniWindow(const WindowRect& full, int clientWidth, int clientHeight,
                            const LayoutScale& scale = {}, int stripHeight = 0);

// The full window to restore when leaving mini mode: moved by as much as the
// mini window was dragged, and never with its right edge left of x = 10.
WindowRect RestoreFullWindow(const WindowRect& full, const WindowRect& miniAtEntry, const WindowRect& miniNow,
                             const LayoutScale& scale = {});

// Whether a screen point lies on a connected monitor's work area.
using WorkAreaTest = std::function<bool(ScreenPoint)>;

// A saved screen position is used only where it can be seen; (0, 0) is stored
// as (0, -1), which counts as the origin.
bool SavedPositionOnScreen(ScreenPoint saved, const WorkAreaTest& onWorkArea);

// The window `wanted` where its top-left corner is on a work area; otherwise
// moved to `fallback`'s top-left corner when that one is, else as wanted.
WindowRect KeepOnScreen(const WindowRect& wanted, const WindowRect& fallback, const WorkAreaTest& onWorkArea);

// The track sizes that WM_GETMINMAXINFO imposes while mini limits apply.
struct TrackLimits {
  int maxSizeWidth, maxSizeHeight;
  int minTrackWidth, minTrackHeight;
  int maxTrackWidth, maxTrackHeight;
};
TrackLimits MiniTrackLimits(const MiniSizeLimits& limits);

// Shift + right double-click: the text of the "Anchor Position" box.
inline constexpr const char* kAnchorCaption = "Anchor Position";
std::string AnchorMessage(ScreenPoint previous, ScreenPoint now);

// "AnchorXY": 0 when the anchor was never set, so that nothing is written.
WindowRect AnchorFromSetting(uint32_t anchorXY);
bool AnchorWorthSaving(const WindowRect& anchor);

// Hover reports. Columns are core slots; -1 is no column.
int HoverColumn(int x, int clientWidth, const LayoutScale& scale = {});
enum class HoverBand { kNone, kMinimum, kMaximum };
HoverBand HoverBandAt(int y, const LayoutScale& scale = {});
bool InGpuField(int x, int y, const LayoutScale& scale = {});

inline constexpr const char* kGpuReportCaption = "GPU Report";
std::string GpuReportText(int minimum, const std::tm& minTime, int maximum, const std::tm& maxTime,
                          const std::string& degreeSuffix);
// "%b %d" of the recorded time: the popup's one item.
std::string HoverDateText(const std::tm& time);
// What a rest of the cursor shows: the "GPU Report" box or a one-item popup.
struct HoverReport {
  enum class Kind { kGpuBox, kPopup };
  Kind kind = Kind::kPopup;
  std::string text;
  bool operator==(const HoverReport&) const = default;
};

// The popup's text for a rest at (x, y) over a present core's minimum or
// maximum, or nothing.
std::optional<std::string> CoreHoverText(int x, int y, int clientWidth, const TemperatureStats& stats,
                                         const bool (&present)[kCoreSlots], const LayoutScale& scale = {});

}  // namespace korvath
