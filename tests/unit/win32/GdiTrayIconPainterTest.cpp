#include "platform/win32/GdiTrayIconPainter.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <vector>

#include "hw/TemperatureStats.h"
#include "monitor/TrayIcons.h"

namespace korvath {
namespace {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> colour;  // 0x00RRGGBB
  std::vector<uint32_t> mask;    // white: transparent
};

std::vector<uint32_t> ReadBitmap(HBITMAP bitmap, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

Pixels ReadIcon(IconHandle icon) {
  ICONINFO info{};
  Pixels pixels;
  if (!GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return pixels;
  BITMAP colourBitmap{};
  GetObjectW(info.hbmColor, sizeof colourBitmap, &colourBitmap);
  pixels.width = colourBitmap.bmWidth;
  pixels.height = colourBitmap.bmHeight;
  pixels.colour = ReadBitmap(info.hbmColor, pixels.width, pixels.height);
  pixels.mask = ReadBitmap(info.hbmMask, pixels.width, pixels.height);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return pixels;
}

// Live entries of this process's GDI handle table, which the process
// environment block points to. Wine answers 0 to GetGuiResources but keeps
// this table per process (Windows shares it across the session).
DWORD GdiHandleTableEntries() {
  struct Entry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;  // 0: free
    UCHAR flags;
    UINT64 userPointer;
  };
  static_assert(sizeof(Entry) == 24, "GDI handle entry layout");
  const BYTE* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
  const Entry* table = *reinterpret_cast<const Entry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
  if (table == nullptr) return 0;
  DWORD live = 0;
  for (size_t i = 0; i < 0x10000; ++i) live += table[i].type != 0 ? 1 : 0;
  return live;
}

// Bitmaps count as GDI objects, icons as user objects (under Wine an icon
// holds two bitmaps of its own, so a leaked icon shows in the GDI count).
DWORD GdiObjects() {
  DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  return count != 0 ? count : GdiHandleTableEntries();
}
DWORD UserObjects() { return GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS); }

TEST(GdiTrayIconPainter, DrawsTheDigitsOpaqueInTheirColourOnATransparentIcon) {
  GdiTrayIconPainter painter(false);
  IconHandle icon = painter.DrawIcon("00", 0x0000FF, 0);  // red as 0x00BBGGRR
  ASSERT_NE(icon, 0u);
  Pixels pixels = ReadIcon(icon);
  painter.DestroyIcon(icon);
  ASSERT_EQ(pixels.width, painter.IconWidth());
  ASSERT_EQ(pixels.height, painter.IconHeight());
  EXPECT_EQ(pixels.mask.front(), 0xFFFFFFu) << "corner must be transparent";
  EXPECT_EQ(pixels.colour.front(), 0u);
  int opaque = 0;
  for (size_t i = 0; i < pixels.mask.size(); ++i) {
    if (pixels.mask[i] != 0) continue;
    ++opaque;
    EXPECT_EQ(pixels.colour[i] & 0x00FFFF, 0u) << "glyphs carry only the red of the colour";
  }
  EXPECT_GT(opaque, 4);
}

TEST(GdiTrayIconPainter, FontsGrowWithTheSmallIcon) {
  GdiTrayIconPainter painter(true);
  for (int font = 0; font < kTrayFontCount; ++font) {
    LOGFONTW description{};
    ASSERT_TRUE(painter.Font(font) != nullptr) << font;
    GetObjectW(painter.Font(font), sizeof description, &description);
    int expected[] = {18, 16, 14, -15};
    EXPECT_EQ(description.lfHeight, MulDiv(expected[font], painter.IconHeight(), 16)) << font;
    EXPECT_EQ(description.lfWeight, font < 3 ? 600 : 0) << font;
  }
  EXPECT_EQ(painter.Font(7), painter.Font(0));
}

// The real painter, with the icons it has out counted.
class CountedPainter : public TrayIconPainter {
 public:
  IconHandle DrawIcon(const std::string& text, uint32_t colour, int fontNumber) override {
    IconHandle icon = painter.DrawIcon(text, colour, fontNumber);
    if (icon != 0) ++live;
    return icon;
  }
  void DestroyIcon(IconHandle icon) override {
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(reinterpret_cast<HICON>(icon), &info)) << "destroying a dead icon";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    painter.DestroyIcon(icon);
    --live;
  }
  GdiTrayIconPainter painter{false};
  int live = 0;
};

class NullShell : public TrayShell {
 public:
  bool AddIcon(const TrayIconRecord&) override { return true; }
  bool ModifyIcon(const TrayIconRecord&) override { return true; }
  bool DeleteIcon(const TrayIconRecord&) override { return true; }
};

TEST(GdiTrayIconPainter, RedrawingAndBlinkingKeepsTheGdiObjectCount) {
  AppSettings settings;
  settings.iconShow = 0x1F;
  settings.alarm = true;
  settings.alarm1 = 70;
  CountedPainter painter;
  NullShell shell;
  IconHandle application = reinterpret_cast<IconHandle>(LoadIconW(nullptr, IDI_APPLICATION));
  TemperatureStats stats;
  TrayRefreshInput input(stats);
  input.present = {true, true, true, true, true};
  {
    TrayIcons icons(settings, shell, painter, application);
    icons.BeginAdding(input.present, 0);
    auto runCycles = [&](int count) {
      for (int i = 0; i < count; ++i) {
        ++stats.cycleCount;
        for (int k = 0; k < kTrayIconCount; ++k) input.temperature[k] = 60 + (i + k) % 20;
        input.alarmThisCycle = i % 20 >= 10;
        icons.Refresh(input);
        ASSERT_LE(painter.live, kTrayIconCount);
      }
    };
    runCycles(20);
    DWORD gdiBefore = GdiObjects();
    DWORD userBefore = UserObjects();
    runCycles(2000);
    ASSERT_GT(gdiBefore, 0u) << "no way to count this process's GDI objects";
    EXPECT_LE(GdiObjects(), gdiBefore + 2);
    // Wine does not count user objects; then both stay 0.
    EXPECT_LE(UserObjects(), userBefore + 2);
    icons.DeleteShownIcons();
  }
  EXPECT_EQ(painter.live, 0);
}

}  // namespace
}  // namespace korvath
