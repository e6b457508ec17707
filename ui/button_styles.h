// The styled-button layer: a button names a style family, a style class and an appearance,
// and the family gives it one set of drawing attributes for each of the five button states.
// Families are registered once, before any window exists, and stay until the program ends.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace quorvane::ui {

enum class ButtonState { Normal, Pressed, Selected, Hot, Disabled };
enum class DrawType { RoundRect, Rounded, Rect, Ellipse };
enum class ButtonDrawStyle { Solid, Clear };
enum class BorderDrawStyle { Solid, Clear };

struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

struct ButtonAttributes {
  DrawType drawType = DrawType::RoundRect;
  ButtonDrawStyle buttonDrawStyle = ButtonDrawStyle::Solid;
  COLORREF buttonColor = RGB(225, 225, 225);
  BorderDrawStyle borderDrawStyle = BorderDrawStyle::Solid;
  COLORREF borderColor = RGB(173, 173, 173);
  int borderWidth = 1;
  COLORREF fontColor = RGB(0, 0, 0);
  FontStyle fontStyle;
  friend bool operator==(const ButtonAttributes&, const ButtonAttributes&) = default;
};

// The attributes of the five states, in the order normal, pressed, selected, hot, disabled.
struct StateAttributesSet {
  ButtonAttributes normal;
  ButtonAttributes pressed;
  ButtonAttributes selected;
  ButtonAttributes hot;
  ButtonAttributes disabled;
  const ButtonAttributes& For(ButtonState state) const;
};

class ButtonStyleFamily {
 public:
  virtual ~ButtonStyleFamily() = default;
  virtual void StateAttributes(const std::wstring& family, const std::wstring& styleClass,
                               const std::wstring& appearance, StateAttributesSet& attributes) const = 0;
  virtual std::wstring FamilyName() const = 0;
  virtual std::vector<std::wstring> ButtonClasses() const = 0;
  virtual std::vector<std::wstring> ButtonAppearances() const = 0;
  // The class and appearance of a dialog's button for a dialog result (IDOK, IDYES...).
  virtual void ModalResultStyle(int modalResult, std::wstring& styleClass, std::wstring& appearance) const = 0;
};

// Keeps the family under the name that it gives itself.
void RegisterButtonStyleFamily(std::unique_ptr<ButtonStyleFamily> family);
// The family of that name, ignoring the case of ASCII letters; nullptr when none is registered.
const ButtonStyleFamily* FindButtonStyleFamily(const std::wstring& name);
void UnregisterButtonStyleFamilies();

}  // namespace quorvane::ui
