#include "platform/win32/GdiTrayIconPainter.h"

#include <string>

#include "platform/ScaleLength.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

// The font sizes were chosen for 16-pixel icons, the small-icon size at
// 96 DPI; high-DPI sessions have larger small icons, and the digits grow with
// them through the same scaling as the main window's figures.
constexpr int kDesignIconSize = 16;

HFONT MakePixelFont(int height, int width, int weight, DWORD precision, const wchar_t* face) {
  return CreateFontW(height, width, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, precision,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

// A point size taken at 96 dots per inch, where small icons are 16 pixels,
// then grown with the icon like the pixel fonts; default weight.
HFONT MakePointFont(int tenthsOfPoint, int iconHeight, const wchar_t* face) {
  LOGFONTW font{};
  font.lfHeight = -ScaleLength(ScaleLength(tenthsOfPoint, 96, 720), iconHeight, kDesignIconSize);
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

}  // namespace

GdiTrayIconPainter::GdiTrayIconPainter(bool bold)
    : width_(GetSystemMetrics(SM_CXSMICON)), height_(GetSystemMetrics(SM_CYSMICON)) {
  if (width_ <= 0) width_ = kDesignIconSize;
  if (height_ <= 0) height_ = kDesignIconSize;
  int weight = bold ? 600 : 400;
  auto high = [this](int pixels) { return ScaleLength(pixels, height_, kDesignIconSize); };
  auto wide = [this](int pixels) { return ScaleLength(pixels, width_, kDesignIconSize); };
  fonts_[0].Reset(MakePixelFont(high(18), wide(6), weight, OUT_DEFAULT_PRECIS, L"MS Sans Serif"));
  fonts_[1].Reset(MakePixelFont(high(16), wide(6), weight, OUT_OUTLINE_PRECIS, L"Tahoma"));
  fonts_[2].Reset(MakePixelFont(high(14), wide(5), weight, OUT_DEFAULT_PRECIS, L"Microsoft Sans Serif"));
  fonts_[3].Reset(MakePointFont(110, height_, L"KVFont"));
}

HFONT GdiTrayIconPainter::Font(int fontNumber) const {
  if (fontNumber < 0 || fontNumber >= kTrayFontCount) fontNumber = 0;
  return fonts_[fontNumber].Get();
}

IconHandle GdiTrayIconPainter::DrawIcon(const std::string& text, uint32_t colour, int fontNumber) {
  WindowDc screen(nullptr);
  if (!screen.Get()) return 0;
  MemoryDc maskDc(CreateCompatibleDC(screen.Get()));
  MemoryDc colourDc(CreateCompatibleDC(screen.Get()));
  BitmapHolder mask(CreateBitmap(width_, height_, 1, 1, nullptr));
  BitmapHolder picture(CreateCompatibleBitmap(screen.Get(), width_, height_));
  if (!maskDc || !colourDc || !mask || !picture) return 0;

  std::wstring wide = Widen(text);
  RECT area{0, 0, width_, height_};
  HFONT font = Font(fontNumber);
  {
    // Bitmaps and font go back out of the contexts before the icon is made
    // and before the holders delete them.
    SelectionScope maskBitmap(maskDc.Get(), mask.Get());
    SelectionScope colourBitmap(colourDc.Get(), picture.Get());
    SelectionScope maskFont(maskDc.Get(), font ? font : GetStockObject(SYSTEM_FONT));
    SelectionScope colourFont(colourDc.Get(), font ? font : GetStockObject(SYSTEM_FONT));
    // In the mask white is transparent and the black glyphs are opaque; the
    // black of the colour bitmap leaves the tray behind unchanged.
    PatBlt(maskDc.Get(), 0, 0, width_, height_, WHITENESS);
    PatBlt(colourDc.Get(), 0, 0, width_, height_, BLACKNESS);
    SetTextColor(maskDc.Get(), RGB(0, 0, 0));
    SetTextColor(colourDc.Get(), static_cast<COLORREF>(colour));
    SetBkMode(maskDc.Get(), TRANSPARENT);
    SetBkMode(colourDc.Get(), TRANSPARENT);
    UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX;
    DrawTextW(maskDc.Get(), wide.c_str(), -1, &area, format);
    DrawTextW(colourDc.Get(), wide.c_str(), -1, &area, format);
  }
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask.Get();
  info.hbmColor = picture.Get();
  // The icon takes copies; the holders delete the bitmaps on return.
  return reinterpret_cast<IconHandle>(CreateIconIndirect(&info));
}

void GdiTrayIconPainter::DestroyIcon(IconHandle icon) {
  if (icon != 0) ::DestroyIcon(reinterpret_cast<HICON>(icon));
}

}  // namespace korvath
