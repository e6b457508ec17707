#include "ui/controls.h"

#include "ui/dpi.h"

namespace quorvane::ui {

Panel::Panel(Component& owner, Control& parent) : Control(owner, &parent) {
  CreateHandle(OwnWindowClass(), WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

std::optional<LRESULT> Panel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    PaintBackground(reinterpret_cast<HDC>(wParam));
    return 1;
  }
  return Control::OnMessage(message, wParam, lParam);
}

CardPanel::CardPanel(Component& owner, Control& parent) : Panel(owner, parent) {}

Panel& CardPanel::AddCard(Component& owner) {
  Panel& card = Create<Panel>(owner, *this);
  card.SetAlign(Align::Client);
  cards_.push_back(&card);
  card.SetVisible(cards_.size() - 1 == active_);
  return card;
}

void CardPanel::SetActiveCard(std::size_t index) {
  active_ = index;
  for (std::size_t i = 0; i < cards_.size(); ++i) cards_[i]->SetVisible(i == index);
}

Label::Label(Component& owner, Control& parent, const std::wstring& caption) : Control(owner, &parent) {
  CreateHandle(L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOTIFY | SS_NOPREFIX);
  SetHasCaption(true);
  SetCaption(caption);
}

void Label::FitToText() {
  const std::wstring text = Caption();
  const WindowDC dc(Handle());
  const SelectedObject font(dc.Get(), Font());
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  const RECT& bounds = DesignBounds();
  SetBounds(bounds.left, bounds.top, MulDiv(size.cx, kDesignDpi, Dpi()) + 1, MulDiv(size.cy, kDesignDpi, Dpi()) + 1);
}

CheckBox::CheckBox(Component& owner, Control& parent, const std::wstring& caption) : Control(owner, &parent) {
  CreateHandle(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX);
  SetHasCaption(true);
  SetCaption(caption);
}

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

PaintedControl::PaintedControl(Component& owner, Control& parent) : Control(owner, &parent) {
  CreateHandle(OwnWindowClass(), WS_VISIBLE);
}

std::optional<LRESULT> PaintedControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(Handle(), &paint);
      Paint(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return Control::OnMessage(message, wParam, lParam);
  }
}

Shape::Shape(Component& owner, Control& parent) : PaintedControl(owner, parent) {}

void Shape::SetBrushColor(COLORREF color) {
  brushColor_ = color;
  Invalidate();
}

void Shape::SetPenColor(COLORREF color) {
  penColor_ = color;
  Invalidate();
}

void Shape::Paint(HDC dc) const {
  const ScopedBrush brush(CreateSolidBrush(brushColor_));
  const ScopedPen pen(CreatePen(PS_SOLID, 1, penColor_));
  const SelectedObject selectedBrush(dc, brush.Get());
  const SelectedObject selectedPen(dc, pen.Get());
  const RECT client = ClientRect();
  Rectangle(dc, client.left, client.top, client.right, client.bottom);
}

}  // namespace quorvane::ui
