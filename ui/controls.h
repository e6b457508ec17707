// The simple controls of the window layer.
#pragma once

#include <string>

#include "ui/control.h"

namespace quorvane::ui {

// A container that paints its background colour.
class Panel : public Control {
 public:
  Panel(Component& owner, Control& parent);

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A stack of pages of which one is shown at a time; each page is a child that fills it.
class CardPanel : public Panel {
 public:
  CardPanel(Component& owner, Control& parent);
  // Makes a page child of this panel; pages are numbered in the order they are added.
  Panel& AddCard(Component& owner);
  void SetActiveCard(std::size_t index);
  std::size_t ActiveCard() const { return active_; }

 private:
  std::vector<Panel*> cards_;
  std::size_t active_ = 0;
};

// Text on the parent's background; it reports clicks.
class Label : public Control {
 public:
  Label(Component& owner, Control& parent, const std::wstring& caption = L"");
  // Sizes the label to its caption in its font.
  void FitToText();
};

class CheckBox : public Control {
 public:
  CheckBox(Component& owner, Control& parent, const std::wstring& caption = L"");
  bool Checked() const;
  void SetChecked(bool checked);
};

// A control of the program's own that draws its whole client area itself, on the screen and
// into a device context that asks for it (WM_PRINTCLIENT).
class PaintedControl : public Control {
 protected:
  PaintedControl(Component& owner, Control& parent);
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Paint(HDC dc) const = 0;
};

// A filled rectangle with an outline, as separator lines and colour strips are drawn.
class Shape : public PaintedControl {
 public:
  Shape(Component& owner, Control& parent);
  void SetBrushColor(COLORREF color);
  void SetPenColor(COLORREF color);
  COLORREF BrushColor() const { return brushColor_; }
  COLORREF PenColor() const { return penColor_; }

 protected:
  void Paint(HDC dc) const override;

 private:
  COLORREF brushColor_ = RGB(255, 255, 255);
  COLORREF penColor_ = RGB(0, 0, 0);
};

}  // namespace quorvane::ui
