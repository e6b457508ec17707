// Scoped owners of GDI objects and device contexts.
#pragma once

#include <windows.h>

#include "common/scoped.h"

namespace quorvane::ui {

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteObject(handle); }
};

using ScopedFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using ScopedBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using ScopedPen = UniqueHandle<GdiObjectTraits<HPEN>>;
using ScopedBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DestroyIcon(handle); }
};
using ScopedIcon = UniqueHandle<IconTraits>;

// A window's device context from GetDC, released at the end of the scope.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() { ReleaseDC(window_, dc_); }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back at the end of the scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The format of a 32-bit bitmap whose first row is the top one, as CreateDIBSection and
// GetDIBits take it.
inline BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace quorvane::ui
