// Owner-drawn buttons that take their look from a registered style family, and a toolbar of
// them. A button without a registered family keeps the plain attributes it starts with.
#pragma once

#include <string>

#include "ui/button_styles.h"
#include "ui/controls.h"

namespace quorvane::ui {

class StyledButton : public Control {
 public:
  StyledButton(Component& owner, Control& parent, const std::wstring& caption = L"");

  void SetStyle(const std::wstring& family, const std::wstring& styleClass, const std::wstring& appearance);
  const std::wstring& StyleFamily() const { return family_; }
  const std::wstring& StyleAppearance() const { return appearance_; }
  // A draw type and corner radius (design pixels) of the button's own, over the family's.
  void SetDrawType(DrawType drawType);
  void SetCornerRadius(int radius);

  // A button that stays pressed, as a speed button or tool button that is down.
  void SetDown(bool down);
  bool Down() const { return down_; }

  // The state in which the button is drawn now.
  ButtonState State() const;
  const StateAttributesSet& Attributes() const { return attributes_; }

 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> OnParentNotify(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void LoadAttributes();
  void Draw(HDC dc, const RECT& area) const;

  std::wstring family_;
  std::wstring styleClass_;
  std::wstring appearance_;
  StateAttributesSet attributes_;
  std::optional<DrawType> ownDrawType_;
  int cornerRadius_ = 6;
  bool down_ = false;
  bool hot_ = false;
  bool mouseDown_ = false;
};

// A row of styled tool buttons of one size, laid out from the left after an indent; all of
// them take the toolbar's style.
class StyledToolBar : public Panel {
 public:
  StyledToolBar(Component& owner, Control& parent);
  void SetButtonSize(int width, int height);
  void SetIndent(int indent);
  void SetButtonStyle(const std::wstring& family, const std::wstring& appearance, DrawType drawType, int cornerRadius);
  StyledButton& AddButton(Component& owner, const std::wstring& caption);

 private:
  void PlaceButtons();

  std::vector<StyledButton*> buttons_;
  SIZE buttonSize_{70, 30};
  int indent_ = 0;
  std::wstring family_;
  std::wstring appearance_;
  DrawType drawType_ = DrawType::RoundRect;
  int cornerRadius_ = 4;
};

}  // namespace quorvane::ui
