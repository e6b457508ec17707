// A push button. A button with a modal result ends the modal loop of its form with that result
// when it is clicked, as the buttons of a dialog do.
#pragma once

#include <string>

#include "ui/control.h"

namespace quorvane::ui {

class Button : public Control {
 public:
  Button(Component& owner, Control& parent, const std::wstring& caption = L"");

  void SetModalResult(int result) { modalResult_ = result; }
  int ModalResult() const { return modalResult_; }
  // The default button of its form is drawn with a heavier frame; Enter clicks it.
  void SetDefault(bool isDefault);
  bool IsDefault() const;

 protected:
  std::optional<LRESULT> OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int modalResult_ = 0;
};

}  // namespace quorvane::ui
