// What a control draws, read back from a bitmap that it paints into.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/control.h"

namespace quorvane::test {

// The colour of a pixel of the control's client area, as the control draws it on request
// (WM_PRINTCLIENT) into a bitmap of its own.
COLORREF DrawnPixel(const ui::Control& control, int x, int y);

// The pixels of an icon drawn at size x size on white, the top row first.
std::vector<std::uint32_t> DrawnIcon(HICON icon, int size);

// What a window's client area shows on the screen now (of any process's window).
struct WindowImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, the top row first

  COLORREF At(int x, int y) const;
};
WindowImage CaptureWindow(HWND window);

// The pixels of one colour within an area of an image: how many, and the smallest rectangle
// that holds them (empty when there are none).
struct ColourSeen {
  int count = 0;
  RECT bounds{0, 0, 0, 0};
};
ColourSeen FindColour(const WindowImage& image, COLORREF colour, const RECT& area);
// The same for the pixels of every colour but the background's, such as a text's, smoothed
// edges included.
ColourSeen FindInk(const WindowImage& image, COLORREF background, const RECT& area);

// What the window shows on the screen now, written as a 24-bit BMP file.
void SaveWindowImage(HWND window, const std::wstring& path);

}  // namespace quorvane::test
