// What a control draws, read back from a bitmap that it paints into.
#pragma once

#include <windows.h>

#include "app/ui/control.h"

namespace quorvane::test {

// The colour of a pixel of the control's client area, as the control draws it on request
// (WM_PRINTCLIENT) into a bitmap of its own.
COLORREF DrawnPixel(const ui::Control& control, int x, int y);

}  // namespace quorvane::test
