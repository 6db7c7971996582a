// The History window on a real window and memory device context: a line of
// its own colour for each core, the legend's click switching a line off, and
// the time one redraw of an hour of 32 cores takes. Windows need a display:
// tests/e2e/main-window.sh runs this under Xvfb.
#include "history/HistoryWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/IniProfileStore.h"
#include "config/ScratchFile.h"
#include "history/HistoryPalette.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedFiles.h"
#include "platform/win32/Win32TimeSource.h"

namespace korvath {
namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 760;

std::vector<HistorySeries> Cores(int count) {
  std::vector<HistorySeries> series;
  for (int core = 0; core < count; ++core) series.push_back({"Core " + std::to_string(core), SeriesKind::kCore});
  series.push_back({"Load", SeriesKind::kLoad});
  return series;
}

// An hour up to now; core s runs level at 40 + 2 s degrees, so that no line
// covers another. Core 0 fails a reading now and then, leaving lone
// readings between gaps (a run of one point, which must not cost it the line).
void FillHour(HistoryStore& store, int64_t now) {
  std::vector<int16_t> values(store.SeriesCount(), 300);
  for (int64_t t = now - kHistorySeconds + 1; t <= now; ++t) {
    for (size_t s = 0; s + 1 < values.size(); ++s) values[s] = static_cast<int16_t>(400 + 20 * s + (t % 7));
    if (t % 60 == 1 || t % 60 == 3) values[0] = kHistoryGap;
    store.Record(t, values);
  }
}

class Canvas {
 public:
  Canvas() : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels_ = static_cast<const uint32_t*>(bits);
    previous_ = SelectObject(dc_.Get(), bitmap_.Get());
  }
  ~Canvas() { SelectObject(dc_.Get(), previous_); }
  HDC Get() const { return dc_.Get(); }
  // Pixels of a GDI colour (0x00BBGGRR); the bitmap holds 0x00RRGGBB.
  int Count(uint32_t colour) const {
    uint32_t rgb = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    int n = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) n += (pixels_[i] & 0xFFFFFF) == rgb;
    return n;
  }

 private:
  MemoryDc dc_;
  BitmapHolder bitmap_;
  const uint32_t* pixels_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

struct Rig {
  explicit Rig(int cores) : store(Cores(cores)), profile(settingsFile.path(), "Korvath") {
    FillHour(store, time.UnixTime());
    settings.alarm1 = 100;
    settings.tjMax[0] = 105;
  }
  HistoryStore store;
  AppSettings settings;
  testing::ScratchFile settingsFile;
  IniProfileStore profile;
  SimulatedDesktop desktop;
  SimulatedFiles files;
  Win32TimeSource time;
};

TEST(HistoryWindow, DrawsALinePerCoreSwitchedByTheLegendAndAnHourOf32CoresQuickly) {
  Rig rig(8);
  HistoryWindow window(nullptr, {rig.store, rig.settings, rig.profile, rig.desktop, rig.files, rig.time});
  window.Show();
  if (window.Handle() == nullptr) GTEST_SKIP() << "no display to create windows on";
  Canvas canvas;
  window.Draw(canvas.Get(), kWidth, kHeight);
  std::span<const HistorySeries> series(&rig.store.Series(0), rig.store.SeriesCount());
  for (size_t core = 0; core < 8; ++core) {
    EXPECT_GT(canvas.Count(SeriesColour(series, core)), 300) << "core " << core;
  }
  // The legend's third entry, as the mouse clicks it: core 2's line goes,
  // its swatch keeps only an outline.
  int scale = 1;
  {
    HDC screen = GetDC(nullptr);
    scale = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  int x = kWidth - ScaleLength(100, scale, 96);
  int y = ScaleLength(32 + 2 * 18 + 9, scale, 96);
  SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  window.Draw(canvas.Get(), kWidth, kHeight);
  EXPECT_LT(canvas.Count(SeriesColour(series, 2)), 100);
  EXPECT_GT(canvas.Count(SeriesColour(series, 3)), 300);

  // 32 cores open with the hottest and the band; every line is clicked in.
  Rig many(32);
  HistoryWindow crowded(nullptr, {many.store, many.settings, many.profile, many.desktop, many.files, many.time});
  crowded.Show();
  crowded.Draw(canvas.Get(), kWidth, kHeight);
  for (int entry = 0; entry < 31; ++entry) {
    SendMessageW(crowded.Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(x, ScaleLength(32 + entry * 18 + 9, scale, 96)));
  }
  // The thread's own processor time: the wall clock of a shared machine
  // says more about the other builds on it.
  auto cpuTime = [] {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& time) {
      return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return value(kernel) + value(user);  // 100 ns units
  };
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceFrequency(&frequency);
  constexpr int kRedraws = 50;
  uint64_t cpuStart = cpuTime();
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRedraws; ++i) crowded.Draw(canvas.Get(), kWidth, kHeight);
  QueryPerformanceCounter(&end);
  uint64_t cpuEnd = cpuTime();
  std::span<const HistorySeries> all(&many.store.Series(0), many.store.SeriesCount());
  EXPECT_GT(canvas.Count(SeriesColour(all, 0)), 100);
  EXPECT_GT(canvas.Count(SeriesColour(all, 30)), 100);
  std::printf("history redraw, an hour of 32 cores and the load, %d x %d: %.2f ms CPU, %.2f ms wall\n", kWidth,
              kHeight, static_cast<double>(cpuEnd - cpuStart) / 10000.0 / kRedraws,
              1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / kRedraws);
}

}  // namespace
}  // namespace korvath
