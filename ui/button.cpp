#include "ui/button.h"

#include "ui/form.h"

namespace quorvane::ui {

Button::Button(Component& owner, Control& parent, const std::wstring& caption) : Control(owner, &parent) {
  CreateHandle(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
  SetHasCaption(true);
  SetCaption(caption);
}

void Button::SetDefault(bool isDefault) {
  SendMessageW(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool Button::IsDefault() const { return (GetWindowLongPtrW(Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

std::optional<LRESULT> Button::OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (OnClick) OnClick(*this);
    if (modalResult_ != 0) TopForm().SetModalResult(modalResult_);
    return 0;
  }
  return Control::OnParentNotify(message, wParam, lParam);
}

}  // namespace quorvane::ui
