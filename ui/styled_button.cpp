#include "ui/styled_button.h"

#include "ui/form.h"

namespace quorvane::ui {

namespace {

StateAttributesSet PlainAttributes() {
  StateAttributesSet attributes;
  attributes.disabled.fontColor = GetSysColor(COLOR_GRAYTEXT);
  return attributes;
}

// Draws the button's shape: filled and outlined as the attributes say.
void DrawShape(HDC dc, RECT area, DrawType drawType, int cornerRadius, const ButtonAttributes& attributes,
               int borderWidth) {
  const bool filled = attributes.buttonDrawStyle == ButtonDrawStyle::Solid;
  const bool outlined = attributes.borderDrawStyle == BorderDrawStyle::Solid && borderWidth > 0;
  const ScopedBrush fill(filled ? CreateSolidBrush(attributes.buttonColor) : nullptr);
  const ScopedPen border(outlined ? CreatePen(PS_INSIDEFRAME, borderWidth, attributes.borderColor) : nullptr);
  const SelectedObject brush(dc, filled ? static_cast<HGDIOBJ>(fill.Get()) : GetStockObject(NULL_BRUSH));
  const SelectedObject pen(dc, outlined ? static_cast<HGDIOBJ>(border.Get()) : GetStockObject(NULL_PEN));
  // Without a pen, GDI leaves the right and bottom edge unfilled.
  if (!outlined) {
    ++area.right;
    ++area.bottom;
  }
  switch (drawType) {
    case DrawType::RoundRect:
      RoundRect(dc, area.left, area.top, area.right, area.bottom, cornerRadius * 2, cornerRadius * 2);
      break;
    case DrawType::Rounded: {
      const int diameter = area.bottom - area.top;
      RoundRect(dc, area.left, area.top, area.right, area.bottom, diameter, diameter);
      break;
    }
    case DrawType::Rect:
      Rectangle(dc, area.left, area.top, area.right, area.bottom);
      break;
    case DrawType::Ellipse:
      Ellipse(dc, area.left, area.top, area.right, area.bottom);
      break;
  }
}

}  // namespace

StyledButton::StyledButton(Component& owner, Control& parent, const std::wstring& caption)
    : Control(owner, &parent), attributes_(PlainAttributes()) {
  CreateHandle(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
  SetHasCaption(true);
  SetCaption(caption);
}

void StyledButton::SetStyle(const std::wstring& family, const std::wstring& styleClass,
                            const std::wstring& appearance) {
  family_ = family;
  styleClass_ = styleClass;
  appearance_ = appearance;
  LoadAttributes();
}

void StyledButton::LoadAttributes() {
  attributes_ = PlainAttributes();
  if (const ButtonStyleFamily* family = FindButtonStyleFamily(family_)) {
    family->StateAttributes(family_, styleClass_, appearance_, attributes_);
  }
  Invalidate();
}

void StyledButton::SetDrawType(DrawType drawType) {
  ownDrawType_ = drawType;
  Invalidate();
}

void StyledButton::SetCornerRadius(int radius) {
  cornerRadius_ = radius;
  Invalidate();
}

void StyledButton::SetDown(bool down) {
  down_ = down;
  Invalidate();
}

ButtonState StyledButton::State() const {
  if (!Enabled()) return ButtonState::Disabled;
  const bool pushed = (SendMessageW(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  if (down_ || pushed) return ButtonState::Pressed;
  if (hot_) return ButtonState::Hot;
  if (GetFocus() == Handle()) return ButtonState::Selected;
  return ButtonState::Normal;
}

void StyledButton::Draw(HDC dc, const RECT& area) const {
  const ButtonAttributes& attributes = attributes_.For(State());
  FillRect(dc, &area, BackgroundBrush());
  DrawShape(dc, area, ownDrawType_.value_or(attributes.drawType), Scale(cornerRadius_), attributes,
            Scale(attributes.borderWidth));

  LOGFONTW logFont = TopForm().BaseLogFont();
  if (attributes.fontStyle.bold) logFont.lfWeight = FW_BOLD;
  logFont.lfItalic = attributes.fontStyle.italic;
  logFont.lfUnderline = attributes.fontStyle.underline;
  const ScopedFont font(CreateFontIndirectW(&logFont));
  const SelectedObject selectedFont(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, attributes.fontColor);
  std::wstring caption = Caption();
  RECT text = area;
  DrawTextW(dc, caption.data(), static_cast<int>(caption.size()), &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

std::optional<LRESULT> StyledButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        Invalidate();
      }
      return std::nullopt;
    case WM_MOUSELEAVE:
      hot_ = false;
      Invalidate();
      return std::nullopt;
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      return std::nullopt;
    default:
      return Control::OnMessage(message, wParam, lParam);
  }
}

std::optional<LRESULT> StyledButton::OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    Draw(item->hDC, item->rcItem);
    return TRUE;
  }
  return Control::OnParentNotify(message, wParam, lParam);
}

StyledToolBar::StyledToolBar(Component& owner, Control& parent) : Panel(owner, parent) {}

void StyledToolBar::SetButtonSize(int width, int height) {
  buttonSize_ = {width, height};
  PlaceButtons();
}

void StyledToolBar::SetIndent(int indent) {
  indent_ = indent;
  PlaceButtons();
}

void StyledToolBar::SetButtonStyle(const std::wstring& family, const std::wstring& appearance, DrawType drawType,
                                   int cornerRadius) {
  family_ = family;
  appearance_ = appearance;
  drawType_ = drawType;
  cornerRadius_ = cornerRadius;
  for (StyledButton* button : buttons_) {
    button->SetStyle(family_, L"", appearance_);
    button->SetDrawType(drawType_);
    button->SetCornerRadius(cornerRadius_);
  }
}

StyledButton& StyledToolBar::AddButton(Component& owner, const std::wstring& caption) {
  StyledButton& button = Create<StyledButton>(owner, *this, caption);
  button.SetStyle(family_, L"", appearance_);
  button.SetDrawType(drawType_);
  button.SetCornerRadius(cornerRadius_);
  buttons_.push_back(&button);
  PlaceButtons();
  return button;
}

void StyledToolBar::PlaceButtons() {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->SetBounds(indent_ + static_cast<int>(i) * buttonSize_.cx, 0, buttonSize_.cx, buttonSize_.cy);
  }
}

}  // namespace quorvane::ui
