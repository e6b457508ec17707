#include "ui/dpi.h"

#include "ui/gdi.h"

namespace quorvane::ui {

namespace {

template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int ScreenDpi() {
  const WindowDC screen(nullptr);
  return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

}  // namespace

int DpiOfWindow(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  const UINT dpi = (getDpiForWindow && window) ? getDpiForWindow(window) : 0;
  return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

LOGFONTW DesktopFont(int dpi) {
  using ForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = User32Function<ForDpiFunction>("SystemParametersInfoForDpi");
  LOGFONTW font{};
  if (forDpi && forDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0, static_cast<UINT>(dpi))) return font;
  // Older systems give the font at the screen's dpi.
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) {
    font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
  }
  return font;
}

}  // namespace quorvane::ui
