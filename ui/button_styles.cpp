#include "ui/button_styles.h"

#include "common/text.h"

namespace quorvane::ui {

namespace {

std::vector<std::unique_ptr<ButtonStyleFamily>>& Families() {
  static std::vector<std::unique_ptr<ButtonStyleFamily>> families;
  return families;
}

}  // namespace

const ButtonAttributes& StateAttributesSet::For(ButtonState state) const {
  switch (state) {
    case ButtonState::Pressed:
      return pressed;
    case ButtonState::Selected:
      return selected;
    case ButtonState::Hot:
      return hot;
    case ButtonState::Disabled:
      return disabled;
    case ButtonState::Normal:
      break;
  }
  return normal;
}

void RegisterButtonStyleFamily(std::unique_ptr<ButtonStyleFamily> family) { Families().push_back(std::move(family)); }

const ButtonStyleFamily* FindButtonStyleFamily(const std::wstring& name) {
  for (const auto& family : Families()) {
    if (EqualsIgnoreAsciiCase(family->FamilyName(), name)) return family.get();
  }
  return nullptr;
}

void UnregisterButtonStyleFamilies() { Families().clear(); }

}  // namespace quorvane::ui
