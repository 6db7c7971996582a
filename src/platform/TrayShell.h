// The seams to the notification area: adding, changing and removing icons,
// and drawing the small number icons shown in them.
#pragma once

#include <cstdint>
#include <string>

namespace korvath {

// An icon as the window system knows it; 0 is none. Only the painter that
// drew an icon may destroy it.
using IconHandle = uintptr_t;

inline constexpr uint32_t kTrayIconBaseId = 4294;
inline constexpr uint32_t kTrayCallbackMessage = 0x8000;  // the first application message
inline constexpr uint32_t kTrayFlagsMessageIconTip = 7;

// One icon of the notification area, identified by the main window and id.
struct TrayIconRecord {
  uint32_t id = 0;
  uint32_t flags = kTrayFlagsMessageIconTip;
  uint32_t callbackMessage = kTrayCallbackMessage;
  IconHandle icon = 0;
  std::string tip;  // UTF-8; the shell keeps at most 127 UTF-16 units
};

class TrayShell {
 public:
  virtual ~TrayShell() = default;

  // False when the shell refused (for example no notification area yet).
  virtual bool AddIcon(const TrayIconRecord& record) = 0;
  virtual bool ModifyIcon(const TrayIconRecord& record) = 0;
  virtual bool DeleteIcon(const TrayIconRecord& record) = 0;
};

class TrayIconPainter {
 public:
  virtual ~TrayIconPainter() = default;

  // A small-icon-sized icon with the text centred in the colour (0x00BBGGRR)
  // and tray font fontNumber (0-3); 0 when any drawing resource failed.
  virtual IconHandle DrawIcon(const std::string& text, uint32_t colour, int fontNumber) = 0;
  virtual void DestroyIcon(IconHandle icon) = 0;
};

// Sole owner of one drawn icon: destroys it when replaced or dropped.
class OwnedIcon {
 public:
  OwnedIcon() = default;
  OwnedIcon(TrayIconPainter& painter, IconHandle icon) : painter_(&painter), icon_(icon) {}
  OwnedIcon(const OwnedIcon&) = delete;
  OwnedIcon& operator=(const OwnedIcon&) = delete;
  OwnedIcon(OwnedIcon&& other) noexcept : painter_(other.painter_), icon_(other.Release()) {}
  OwnedIcon& operator=(OwnedIcon&& other) noexcept {
    if (this != &other) {
      TrayIconPainter* painter = other.painter_;
      IconHandle icon = other.Release();
      Reset();
      painter_ = painter;
      icon_ = icon;
    }
    return *this;
  }
  ~OwnedIcon() { Reset(); }

  IconHandle Get() const { return icon_; }
  explicit operator bool() const { return icon_ != 0; }
  void Reset() {
    if (icon_ != 0 && painter_ != nullptr) painter_->DestroyIcon(icon_);
    icon_ = 0;
  }

 private:
  IconHandle Release() {
    IconHandle icon = icon_;
    icon_ = 0;
    return icon;
  }

  TrayIconPainter* painter_ = nullptr;
  IconHandle icon_ = 0;
};

}  // namespace korvath
