#include "app/style/tesmora_button_styles.h"

#include <memory>

#include "app/style/colour_rules.h"
#include "common/text.h"

namespace quorvane {

namespace {

using ui::BorderDrawStyle;
using ui::ButtonAttributes;
using ui::ButtonDrawStyle;
using ui::DrawType;

constexpr Rgb kBase{0x3D, 0x84, 0xDD};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{0xFF, 0xFF, 0xFF};

COLORREF ToColorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

// The colours that the states derive from the base colour and from black.
const COLORREF kBaseColour = ToColorRef(kBase);
const COLORREF kHotColour = ToColorRef(Lighten(kBase, 10));
const COLORREF kHeaderDisabledBorder = ToColorRef(Grey(Lighten(kBase, 50)));
const COLORREF kHeaderDisabledFont = ToColorRef(Grey(Lighten(kBlack, 50)));
const COLORREF kOutlineDisabledBorder = ToColorRef(Grey(Lighten(kBase, 70)));
const COLORREF kOutlineDisabledFont = ToColorRef(Grey(Lighten(kBlack, 70)));
const COLORREF kWhiteColour = ToColorRef(kWhite);
const COLORREF kBlackColour = ToColorRef(kBlack);
const COLORREF kNormalDisabledGrey = RGB(0xC0, 0xC0, 0xC0);

ButtonAttributes Idle(ButtonDrawStyle fill, COLORREF buttonColour, COLORREF borderColour, COLORREF fontColour) {
  ButtonAttributes attributes;
  attributes.drawType = DrawType::RoundRect;
  attributes.buttonDrawStyle = fill;
  attributes.buttonColor = buttonColour;
  attributes.borderDrawStyle = BorderDrawStyle::Solid;
  attributes.borderColor = borderColour;
  attributes.borderWidth = 0;
  attributes.fontColor = fontColour;
  attributes.fontStyle = {};
  return attributes;
}

void Normal(ui::StateAttributesSet& set) {
  set.hot.buttonColor = kHotColour;
  set.disabled.buttonColor = kWhiteColour;
  set.disabled.borderColor = kNormalDisabledGrey;
  set.disabled.fontColor = kNormalDisabledGrey;
  set.disabled.borderWidth = 0;
}

// A solid fill without border and with white text: what the header's buttons show when
// pressed, hot or selected.
void FillHeaderState(ButtonAttributes& attributes, COLORREF buttonColour) {
  attributes.buttonDrawStyle = ButtonDrawStyle::Solid;
  attributes.borderDrawStyle = BorderDrawStyle::Clear;
  attributes.buttonColor = buttonColour;
  attributes.borderColor = kBaseColour;
  attributes.fontColor = kWhiteColour;
}

void Header(ui::StateAttributesSet& set) {
  FillHeaderState(set.pressed, kBaseColour);
  FillHeaderState(set.hot, kBaseColour);
  FillHeaderState(set.selected, kHotColour);
  set.disabled.borderColor = kHeaderDisabledBorder;
  set.disabled.fontColor = kHeaderDisabledFont;
}

void Outline(ui::StateAttributesSet& set) {
  set.pressed.buttonDrawStyle = ButtonDrawStyle::Solid;
  set.pressed.fontColor = kWhiteColour;
  for (ButtonAttributes* state : {&set.hot, &set.selected}) {
    state->buttonDrawStyle = ButtonDrawStyle::Solid;
    state->buttonColor = kHotColour;
    state->fontColor = kWhiteColour;
  }
  set.disabled.borderColor = kOutlineDisabledBorder;
  set.disabled.fontColor = kOutlineDisabledFont;
}

}  // namespace

void TTesmoraButtonStyles::StateAttributes(const std::wstring&, const std::wstring&, const std::wstring& appearance,
                                           ui::StateAttributesSet& attributes) const {
  const bool outline = EqualsIgnoreAsciiCase(appearance, L"Outline");
  const bool header = !outline && EqualsIgnoreAsciiCase(appearance, L"Header");

  if (outline) {
    attributes.normal = Idle(ButtonDrawStyle::Clear, kBaseColour, kBaseColour, kBlackColour);
  } else if (header) {
    attributes.normal = Idle(ButtonDrawStyle::Clear, kWhiteColour, kBlackColour, kBlackColour);
  } else {
    attributes.normal = Idle(ButtonDrawStyle::Solid, kBaseColour, kBaseColour, kWhiteColour);
  }
  attributes.pressed = attributes.selected = attributes.hot = attributes.disabled = attributes.normal;

  if (outline) {
    Outline(attributes);
  } else if (header) {
    Header(attributes);
  } else {
    Normal(attributes);
  }
}

std::wstring TTesmoraButtonStyles::FamilyName() const { return L"Tesmora"; }

std::vector<std::wstring> TTesmoraButtonStyles::ButtonClasses() const { return {L"Primary"}; }

std::vector<std::wstring> TTesmoraButtonStyles::ButtonAppearances() const { return {L"Normal", L"Header", L"Outline"}; }

void TTesmoraButtonStyles::ModalResultStyle(int, std::wstring& styleClass, std::wstring& appearance) const {
  styleClass = L"Primary";
  appearance = L"Normal";
}

void RegisterTesmoraButtonStyles() { ui::RegisterButtonStyleFamily(std::make_unique<TTesmoraButtonStyles>()); }

}  // namespace quorvane
