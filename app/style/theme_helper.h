// The decoration of a top-level window: a dark frame where the desktop window manager offers
// one, and a 2-pixel line across the top of the client area that is blue while the window is
// active and grey while it is not. It follows activation by hooking the window's messages.
#pragma once

#include <windows.h>

#include "ui/controls.h"
#include "ui/form.h"

namespace quorvane {

class TThemeHelper final : public ui::Component {
 public:
  // The owner must be a form; anything else raises "TThemeHelper Owner must be a TForm".
  explicit TThemeHelper(ui::Component& owner);
  ~TThemeHelper() override;

  // Recolours the line and shows it while the window has a border.
  void UpdateShape();

  const ui::Shape& Line() const { return *FShape; }
  bool IsActive() const { return FIsActive; }

 private:
  static LRESULT CALLBACK NewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self) noexcept;

  ui::Form* FForm;
  COLORREF FActiveColor = RGB(61, 132, 221);
  bool FIsActive = true;
  ui::Shape* FShape = nullptr;
};

}  // namespace quorvane
