// The program's button style family "Tesmora": one class, "Primary", and the appearances
// "Normal", "Header" and "Outline".
#pragma once

#include "ui/button_styles.h"

namespace quorvane {

class TTesmoraButtonStyles final : public ui::ButtonStyleFamily {
 public:
  void StateAttributes(const std::wstring& family, const std::wstring& styleClass, const std::wstring& appearance,
                       ui::StateAttributesSet& attributes) const override;
  std::wstring FamilyName() const override;
  std::vector<std::wstring> ButtonClasses() const override;
  std::vector<std::wstring> ButtonAppearances() const override;
  void ModalResultStyle(int modalResult, std::wstring& styleClass, std::wstring& appearance) const override;
};

// Registers the family with the styled-button layer, at start-up before any window exists.
void RegisterTesmoraButtonStyles();

}  // namespace quorvane
