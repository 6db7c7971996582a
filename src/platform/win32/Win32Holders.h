// Single owners of GDI objects and system handles: each holder releases
// what it holds exactly once, when it is destroyed or given something else.
#pragma once

#include <windows.h>

#include <utility>

namespace korvath {

// The common part: Traits names the handle type, its empty value and its release.
template <typename Traits>
class Holder {
 public:
  using Handle = typename Traits::Handle;

  Holder() = default;
  explicit Holder(Handle handle) : handle_(handle) {}
  ~Holder() { Release(); }
  Holder(Holder&& other) noexcept : handle_(other.Detach()) {}
  Holder& operator=(Holder&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return !Traits::IsEmpty(handle_); }

  // Releases the old handle after taking the new one, so that replacing a
  // drawn icon with itself is harmless.
  void Reset(Handle handle = Traits::Empty()) {
    Handle old = handle_;
    handle_ = handle;
    if (old != handle && !Traits::IsEmpty(old)) Traits::Release(old);
  }
  // Gives up ownership without releasing.
  [[nodiscard]] Handle Detach() { return std::exchange(handle_, Traits::Empty()); }

 private:
  void Release() {
    if (!Traits::IsEmpty(handle_)) Traits::Release(handle_);
    handle_ = Traits::Empty();
  }

  Handle handle_ = Traits::Empty();
};

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static T Empty() { return nullptr; }
  static bool IsEmpty(T handle) { return handle == nullptr; }
  static void Release(T handle) { DeleteObject(handle); }
};

struct IconTraits {
  using Handle = HICON;
  static HICON Empty() { return nullptr; }
  static bool IsEmpty(HICON handle) { return handle == nullptr; }
  static void Release(HICON handle) { DestroyIcon(handle); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static HMODULE Empty() { return nullptr; }
  static bool IsEmpty(HMODULE handle) { return handle == nullptr; }
  static void Release(HMODULE handle) { FreeLibrary(handle); }
};

// Both null and INVALID_HANDLE_VALUE mean "nothing": the API families disagree.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE Empty() { return nullptr; }
  static bool IsEmpty(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }
  static void Release(HANDLE handle) { CloseHandle(handle); }
};

// A memory device context from CreateCompatibleDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static HDC Empty() { return nullptr; }
  static bool IsEmpty(HDC handle) { return handle == nullptr; }
  static void Release(HDC handle) { DeleteDC(handle); }
};

using FontHolder = Holder<GdiObjectTraits<HFONT>>;
using BrushHolder = Holder<GdiObjectTraits<HBRUSH>>;
using BitmapHolder = Holder<GdiObjectTraits<HBITMAP>>;
using PenHolder = Holder<GdiObjectTraits<HPEN>>;
using IconHolder = Holder<IconTraits>;
using ModuleHolder = Holder<ModuleTraits>;
using HandleHolder = Holder<KernelHandleTraits>;
using MemoryDc = Holder<MemoryDcTraits>;

// A solid brush of one colour that a window keeps for its painting: made
// again only when asked for another colour, so that painting messages never
// create or delete anything.
class SolidBrush {
 public:
  HBRUSH For(COLORREF colour) {
    if (!brush_ || colour != colour_) {
      brush_.Reset(CreateSolidBrush(colour));
      colour_ = colour;
    }
    return brush_.Get();
  }
  void Reset() { brush_.Reset(); }

 private:
  BrushHolder brush_;
  COLORREF colour_ = 0;
};

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The device context of one WM_PAINT, between BeginPaint and EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }
  const PAINTSTRUCT& Paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Puts an object into a device context and the previous one back on leaving,
// so that the object is not deleted while still selected.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectionScope() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace korvath
