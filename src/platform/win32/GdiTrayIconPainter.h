// TrayIconPainter with GDI: the number drawn into a mask and a colour bitmap
// of the small-icon size, in one of the four tray fonts.
#pragma once

#include <windows.h>

#include "platform/TrayShell.h"
#include "platform/win32/Win32Holders.h"

namespace korvath {

inline constexpr int kTrayFontCount = 4;

class GdiTrayIconPainter : public TrayIconPainter {
 public:
  // The fonts are made once, for the small-icon size of this session, at
  // weight 600 instead of 400 when bold.
  explicit GdiTrayIconPainter(bool bold);

  IconHandle DrawIcon(const std::string& text, uint32_t colour, int fontNumber) override;
  void DestroyIcon(IconHandle icon) override;

  int IconWidth() const { return width_; }
  int IconHeight() const { return height_; }
  HFONT Font(int fontNumber) const;

 private:
  int width_;
  int height_;
  FontHolder fonts_[kTrayFontCount];
};

}  // namespace korvath
