// A picture that stays crisp at any dpi: the program carries it rasterised for several dpi
// steps, as PNG resources named <base>_<dpi> (LOGO_96, LOGO_144...). The control shows the
// rasterisation made for its dpi, or the next larger one scaled down with a good filter, on its
// parent's background.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "ui/controls.h"

namespace quorvane::ui {

class Image : public PaintedControl {
 public:
  Image(Component& owner, Control& parent, std::wstring resourceBase);

  // The dpi step whose rasterisation the control draws now; 0 when the program carries none.
  int ShownStep() const { return shownStep_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;
  void Paint(HDC dc) const override;

 private:
  void Render();

  std::wstring resourceBase_;
  std::map<int, std::wstring> steps_;  // dpi step -> resource name
  ScopedBitmap rendered_;              // premultiplied BGRA at the control's size
  SIZE renderedSize_{};
  int shownStep_ = 0;
};

// The dpi step to use for a dpi: the smallest step at or above it, else the largest; 0 when
// there are no steps.
int ChooseDpiStep(const std::map<int, std::wstring>& steps, int dpi);

}  // namespace quorvane::ui
