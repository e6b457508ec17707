// Sizes are designed at 96 dots per inch and scaled to the dpi of the window that shows them.
#pragma once

#include <windows.h>

namespace quorvane::ui {

inline constexpr int kDesignDpi = 96;

// WM_DPICHANGED, which Windows 8.1 and later send; named here since the headers show it only
// to programs that require those versions.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

inline int ScaleToDpi(int designPixels, int dpi) { return MulDiv(designPixels, dpi, kDesignDpi); }

// The window's dpi where the system tracks it per window (Windows 10 1607 and later), else the
// dpi of the screen.
int DpiOfWindow(HWND window);

// The system's icon-title font, the desktop font that windows follow, at the given dpi.
LOGFONTW DesktopFont(int dpi);

}  // namespace quorvane::ui
