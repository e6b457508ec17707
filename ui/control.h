// A control: a component with a window. Its place and size are designed at 96 dpi and scaled
// to the dpi of the form it is on; it can be aligned to an edge of its parent, as the layouts
// of the program's windows describe them. The notifications that its window sends to the
// parent window come back to the control itself.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/component.h"
#include "ui/gdi.h"

namespace quorvane::ui {

class Form;

enum class Align { None, Top, Bottom, Left, Right, Client };

struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class Control : public Component {
 public:
  ~Control() override;

  HWND Handle() const { return handle_; }
  Control* Parent() const { return parent_; }
  // The form that the control is on; a form is its own.
  Form& TopForm();
  const Form& TopForm() const;

  // Place and size in design pixels, relative to the parent's client area.
  void SetBounds(int left, int top, int width, int height);
  void SetWidth(int width) { SetBounds(bounds_.left, bounds_.top, width, bounds_.bottom - bounds_.top); }
  void SetHeight(int height) { SetBounds(bounds_.left, bounds_.top, bounds_.right - bounds_.left, height); }
  const RECT& DesignBounds() const { return bounds_; }
  // For the few sizes that are given in screen pixels and do not follow the dpi.
  void SetScalesWithDpi(bool scales);
  void SetAlign(Align align);
  void SetMargins(Edges margins);
  void SetPadding(Edges padding);
  // Puts the control first among its siblings for alignment: the first of the top-aligned
  // controls, say.
  void MoveToFirst();
  // Lays the children out anew; runs on every resize.
  void Realign();

  void SetVisible(bool visible);
  bool Visible() const { return visible_; }
  void SetEnabled(bool enabled);
  bool Enabled() const;

  bool HasCaption() const override { return hasCaption_; }
  std::wstring Caption() const override;
  void SetCaption(const std::wstring& caption) override;

  // Background colour; CLR_INVALID (the default) shows the parent's.
  void SetColor(COLORREF color);
  COLORREF Color() const;
  // Text colour; CLR_INVALID (the default) is the system's window text colour.
  void SetFontColor(COLORREF color);
  COLORREF FontColor() const { return fontColor_; }
  // The form's font, made bold or underlined for this control alone.
  void SetFontStyle(bool bold, bool underline);
  virtual HFONT Font() const;
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }
  // The text shown as the control's tooltip when hints are on.
  void SetHint(std::wstring hint);
  const std::wstring& Hint() const { return hint_; }
  void SetShowHint(bool show);

  std::function<void(Control& sender)> OnClick;

  virtual int Dpi() const;
  int Scale(int designPixels) const;
  RECT ClientRect() const;
  void Invalidate() const;

  // Applies the form's font, at its current dpi, to this control and its children.
  void UpdateFont();
  // Tells this control and its children that the form's dpi has changed.
  void NotifyDpiChanged();

  static Control* FromHandle(HWND window);

 protected:
  // parent is nullptr only for forms.
  Control(Component& owner, Control* parent);
  // For a form, which has no owner.
  Control();

  // The window class of the windows that the program paints itself (forms, panels, shapes...):
  // the messages go to the control, the rest to DefWindowProc.
  static const wchar_t* OwnWindowClass();
  // Makes the control's window as a child of the parent's window and routes its messages here.
  void CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle = 0);
  // Routes the messages of a window made elsewhere (a form's own) here.
  void AttachHandle(HWND window);
  void SetHasCaption(bool hasCaption) { hasCaption_ = hasCaption; }

  // A control's own messages: handled (with the result) or left to the window's default.
  // Overrides hand what they do not handle to the base class.
  virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // What the control's window sent to its parent: WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
  // WM_MEASUREITEM and the WM_CTLCOLOR messages.
  virtual std::optional<LRESULT> OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Fills the client area with the background colour, for the windows that paint their own.
  void PaintBackground(HDC dc) const;
  HBRUSH BackgroundBrush() const;
  // Called after the dpi of the form changed, before the layout is redone.
  virtual void OnDpiChanged() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) noexcept;
  std::optional<LRESULT> ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam);
  void PlaceIn(RECT& area);
  void UpdateToolTip();

  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  HWND handle_ = nullptr;
  RECT bounds_{};
  Align align_ = Align::None;
  Edges margins_;
  Edges padding_;
  bool scalesWithDpi_ = true;
  bool visible_ = true;
  bool hasCaption_ = false;
  COLORREF color_ = CLR_INVALID;
  COLORREF fontColor_ = CLR_INVALID;
  bool bold_ = false;
  bool underline_ = false;
  ScopedFont ownFont_;
  mutable ScopedBrush backgroundBrush_;
  mutable COLORREF backgroundBrushColor_ = CLR_INVALID;
  HCURSOR cursor_ = nullptr;
  std::wstring hint_;
  bool showHint_ = false;
};

}  // namespace quorvane::ui
