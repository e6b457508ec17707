#include "support/window_capture.h"

#include "app/ui/gdi.h"

namespace quorvane::test {

COLORREF DrawnPixel(const ui::Control& control, int x, int y) {
  const RECT client = control.ClientRect();
  const ui::WindowDC screen(control.Handle());
  const HDC memory = CreateCompatibleDC(screen.Get());
  const ui::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  COLORREF colour = CLR_INVALID;
  {
    const ui::SelectedObject selected(memory, bitmap.Get());
    SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    colour = GetPixel(memory, x, y);
  }
  DeleteDC(memory);
  return colour;
}

}  // namespace quorvane::test
