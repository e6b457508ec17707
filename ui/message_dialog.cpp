#include "ui/message_dialog.h"

#include <algorithm>

#include "ui/application.h"
#include "ui/dpi.h"

namespace quorvane::ui {

namespace {

struct StandardButton {
  int modalResult;
  const wchar_t* name;
  const wchar_t* caption;
};

constexpr StandardButton kStandardButtons[] = {
    {IDOK, L"OK", L"OK"},
    {IDCANCEL, L"Cancel", L"Cancel"},
    {IDYES, L"Yes", L"&Yes"},
    {IDNO, L"No", L"&No"},
    {IDABORT, L"Abort", L"&Abort"},
    {IDRETRY, L"Retry", L"&Retry"},
    {IDIGNORE, L"Ignore", L"&Ignore"},
};

const StandardButton& StandardButtonFor(int modalResult) {
  const auto found = std::find_if(std::begin(kStandardButtons), std::end(kStandardButtons),
                                  [&](const StandardButton& button) { return button.modalResult == modalResult; });
  return found != std::end(kStandardButtons) ? *found : kStandardButtons[0];
}

HICON SystemIcon(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::Warning:
      return LoadIconW(nullptr, IDI_WARNING);
    case DialogIcon::Error:
      return LoadIconW(nullptr, IDI_ERROR);
    case DialogIcon::Information:
      return LoadIconW(nullptr, IDI_INFORMATION);
    case DialogIcon::Confirmation:
      return LoadIconW(nullptr, IDI_QUESTION);
    case DialogIcon::None:
      break;
  }
  return nullptr;
}

// An icon drawn at the control's size on the parent's background.
class IconImage : public Control {
 public:
  IconImage(Component& owner, Control& parent, HICON icon) : Control(owner, &parent), icon_(icon) {
    CreateHandle(OwnWindowClass(), WS_VISIBLE);
  }

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(Handle(), &paint);
        const RECT client = ClientRect();
        DrawIconEx(dc, 0, 0, icon_, client.right, client.bottom, 0, nullptr, DI_NORMAL);
        EndPaint(Handle(), &paint);
        return 0;
      }
      default:
        return Control::OnMessage(message, wParam, lParam);
    }
  }

 private:
  HICON icon_;
};

// The spacing of the dialog follows its font, in dialog units: a quarter of the average
// character width across, an eighth of the character height down.
struct DialogUnits {
  int x;
  int y;
  int Across(int units) const { return MulDiv(units, x, 4); }
  int Down(int units) const { return MulDiv(units, y, 8); }
};

DialogUnits DialogUnitsOf(HDC dc) {
  static constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32W(dc, kAlphabet, 52, &size);
  return {size.cx / 52, size.cy};
}

int TextWidth(HDC dc, const std::wstring& text) {
  RECT rect{};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
  return rect.right - rect.left;
}

}  // namespace

MessageDialog::MessageDialog(const std::wstring& message, DialogIcon icon, std::initializer_list<int> buttons,
                             int defaultResult, int cancelResult)
    : Form(Standalone{}), message_(Create<Label>(*this, *this, message)), cancelResult_(cancelResult) {
  SetBorderStyle(BorderStyle::Dialog);
  SetCaption(application::Title());
  message_.SetName(L"Message");
  if (const HICON systemIcon = SystemIcon(icon)) {
    icon_ = &Create<IconImage>(*this, *this, systemIcon);
    icon_->SetName(L"Image");
  }
  AddButtons(buttons, defaultResult);
  LayOut(icon_ != nullptr);
}

void MessageDialog::AddButtons(std::initializer_list<int> buttons, int defaultResult) {
  for (const int modalResult : buttons) {
    const StandardButton& standard = StandardButtonFor(modalResult);
    Button& button = Create<Button>(*this, *this, standard.caption);
    button.SetName(standard.name);
    button.SetModalResult(modalResult);
    if (modalResult == defaultResult) {
      button.SetDefault(true);
      defaultButton_ = &button;
    }
    buttons_.push_back(&button);
  }
  if (!defaultButton_ && !buttons_.empty()) defaultButton_ = buttons_.front();
}

// Sizes are worked out in pixels at the dialog's dpi, from its font, and then given to the
// controls in design pixels.
void MessageDialog::LayOut(bool hasIcon) {
  const WindowDC dc(Handle());
  const SelectedObject font(dc.Get(), Font());
  const DialogUnits units = DialogUnitsOf(dc.Get());
  const int horzMargin = units.Across(8);
  const int vertMargin = units.Down(8);
  const int horzSpacing = units.Across(10);
  const int vertSpacing = units.Down(10);
  const int buttonHeight = units.Down(14);
  const int buttonSpacing = units.Across(4);
  int buttonWidth = units.Across(50);
  for (const Button* button : buttons_) buttonWidth = std::max(buttonWidth, TextWidth(dc.Get(), button->Caption()) + 8);

  const std::wstring text = message_.Caption();
  RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  const int iconSize = hasIcon ? Scale(32) : 0;
  const int textLeft = horzMargin + (hasIcon ? iconSize + horzSpacing : 0);
  const int iconTextWidth = textLeft - horzMargin + textRect.right;
  const int iconTextHeight = std::max<int>(textRect.bottom, iconSize);
  const int count = static_cast<int>(buttons_.size());
  const int groupWidth = count * buttonWidth + std::max(0, count - 1) * buttonSpacing;
  const int clientWidth = std::max(iconTextWidth, groupWidth) + 2 * horzMargin;
  const int clientHeight = iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin;

  const auto design = [this](int pixels) { return MulDiv(pixels, kDesignDpi, Dpi()); };
  SetClientSize(design(clientWidth), design(clientHeight));
  if (icon_) icon_->SetBounds(design(horzMargin), design(vertMargin), 32, 32);
  // One pixel to spare, so that rounding to design pixels and back never wraps a line anew.
  message_.SetBounds(design(textLeft), design(vertMargin), design(textRect.right) + 1, design(textRect.bottom));
  int left = (clientWidth - groupWidth) / 2;
  const int top = iconTextHeight + vertMargin + vertSpacing;
  for (Button* button : buttons_) {
    button->SetBounds(design(left), design(top), design(buttonWidth), design(buttonHeight));
    left += buttonWidth + buttonSpacing;
  }
}

Button* MessageDialog::FindButton(int modalResult) const {
  const auto found = std::find_if(buttons_.begin(), buttons_.end(),
                                  [&](const Button* button) { return button->ModalResult() == modalResult; });
  return found != buttons_.end() ? *found : nullptr;
}

Button* MessageDialog::FocusedButton() const {
  const HWND focus = GetFocus();
  const auto found =
      std::find_if(buttons_.begin(), buttons_.end(), [&](const Button* button) { return button->Handle() == focus; });
  return found != buttons_.end() ? *found : nullptr;
}

std::optional<LRESULT> MessageDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // The dialog manager asks which button Enter clicks.
    case DM_GETDEFID: {
      const Button* target = FocusedButton() ? FocusedButton() : defaultButton_;
      if (!target) return 0;
      return MAKELRESULT(GetDlgCtrlID(target->Handle()), DC_HASDEFID);
    }
    // Escape, which the dialog manager reports as the command of a cancel button that this
    // dialog does not have under that identifier.
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
        SetModalResult(cancelResult_);
        return 0;
      }
      break;
    case WM_CLOSE:
      SetModalResult(cancelResult_);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = IsChild(Handle(), GetFocus()) ? GetFocus() : nullptr;
        return std::nullopt;
      }
      if (lastFocus_ && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
      } else if (defaultButton_) {
        SetFocus(defaultButton_->Handle());
      }
      return 0;
    default:
      break;
  }
  return Form::OnMessage(message, wParam, lParam);
}

}  // namespace quorvane::ui
