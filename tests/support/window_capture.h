// What a control draws, read back from a bitmap that it paints into.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/ui/control.h"

namespace quorvane::test {

// The colour of a pixel of the control's client area, as the control draws it on request
// (WM_PRINTCLIENT) into a bitmap of its own.
COLORREF DrawnPixel(const ui::Control& control, int x, int y);

// The pixels of an icon drawn at size x size on white, the top row first.
std::vector<std::uint32_t> DrawnIcon(HICON icon, int size);

// What the window shows on the screen now, written as a 24-bit BMP file.
void SaveWindowImage(HWND window, const std::wstring& path);

}  // namespace quorvane::test
