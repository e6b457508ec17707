#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/style/tesmora_button_styles.h"
#include "ui/form.h"
#include "ui/styled_button.h"
#include "support/ui_fixture.h"
#include "support/window_capture.h"

namespace quorvane {
namespace {

using ui::BorderDrawStyle;
using ui::ButtonAttributes;
using ui::ButtonDrawStyle;

ButtonAttributes Attributes(ButtonDrawStyle fill, COLORREF button, BorderDrawStyle border, COLORREF borderColour,
                            COLORREF font) {
  ButtonAttributes attributes;
  attributes.drawType = ui::DrawType::RoundRect;
  attributes.buttonDrawStyle = fill;
  attributes.buttonColor = button;
  attributes.borderDrawStyle = border;
  attributes.borderColor = borderColour;
  attributes.borderWidth = 0;
  attributes.fontColor = font;
  return attributes;
}

constexpr COLORREF kBlue = RGB(0x3D, 0x84, 0xDD);
constexpr COLORREF kLight = RGB(0x50, 0x90, 0xE0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBlackText = RGB(0, 0, 0);
constexpr auto kSolid = ButtonDrawStyle::Solid;
constexpr auto kClear = ButtonDrawStyle::Clear;
constexpr auto kBorder = BorderDrawStyle::Solid;
constexpr auto kNoBorder = BorderDrawStyle::Clear;

struct AppearanceCase {
  const char* name;
  std::wstring appearance;
  ui::StateAttributesSet expected;
};

class TesmoraAppearance : public testing::TestWithParam<AppearanceCase> {};

TEST_P(TesmoraAppearance, GivesEachStateItsAttributes) {
  ui::StateAttributesSet attributes;
  TTesmoraButtonStyles().StateAttributes(L"Tesmora", L"Primary", GetParam().appearance, attributes);
  const ui::StateAttributesSet& expected = GetParam().expected;
  EXPECT_EQ(attributes.normal, expected.normal);
  EXPECT_EQ(attributes.pressed, expected.pressed);
  EXPECT_EQ(attributes.selected, expected.selected);
  EXPECT_EQ(attributes.hot, expected.hot);
  EXPECT_EQ(attributes.disabled, expected.disabled);
}

ui::StateAttributesSet NormalSet() {
  const ButtonAttributes idle = Attributes(kSolid, kBlue, kBorder, kBlue, kWhite);
  ButtonAttributes disabled = Attributes(kSolid, kWhite, kBorder, RGB(0xC0, 0xC0, 0xC0), RGB(0xC0, 0xC0, 0xC0));
  return {idle, idle, idle, Attributes(kSolid, kLight, kBorder, kBlue, kWhite), disabled};
}

ui::StateAttributesSet HeaderSet() {
  return {Attributes(kClear, kWhite, kBorder, kBlackText, kBlackText),
          Attributes(kSolid, kBlue, kNoBorder, kBlue, kWhite), Attributes(kSolid, kLight, kNoBorder, kBlue, kWhite),
          Attributes(kSolid, kBlue, kNoBorder, kBlue, kWhite),
          Attributes(kClear, kWhite, kBorder, RGB(0xBC, 0xBC, 0xBC), RGB(0x80, 0x80, 0x80))};
}

ui::StateAttributesSet OutlineSet() {
  return {Attributes(kClear, kBlue, kBorder, kBlue, kBlackText), Attributes(kSolid, kBlue, kBorder, kBlue, kWhite),
          Attributes(kSolid, kLight, kBorder, kBlue, kWhite), Attributes(kSolid, kLight, kBorder, kBlue, kWhite),
          Attributes(kClear, kBlue, kBorder, RGB(0xD7, 0xD7, 0xD7), RGB(0xB3, 0xB3, 0xB3))};
}

INSTANTIATE_TEST_SUITE_P(Appearances, TesmoraAppearance,
                         testing::Values(AppearanceCase{"Normal", L"Normal", NormalSet()},
                                         AppearanceCase{"Unknown", L"Flat", NormalSet()},
                                         AppearanceCase{"Empty", L"", NormalSet()},
                                         AppearanceCase{"Header", L"Header", HeaderSet()},
                                         AppearanceCase{"HeaderInOtherCase", L"hEADER", HeaderSet()},
                                         AppearanceCase{"Outline", L"Outline", OutlineSet()},
                                         AppearanceCase{"OutlineInOtherCase", L"OUTLINE", OutlineSet()}),
                         [](const testing::TestParamInfo<AppearanceCase>& testCase) { return testCase.param.name; });

TEST(TesmoraFamily, NamesItsClassesAndAppearancesAndStylesEveryDialogButtonAlike) {
  const TTesmoraButtonStyles family;
  EXPECT_EQ(family.FamilyName(), L"Tesmora");
  EXPECT_THAT(family.ButtonClasses(), testing::ElementsAre(L"Primary"));
  EXPECT_THAT(family.ButtonAppearances(), testing::ElementsAre(L"Normal", L"Header", L"Outline"));
  for (int result : {IDOK, IDCANCEL, IDYES, IDNO, IDABORT, 0}) {
    std::wstring styleClass;
    std::wstring appearance;
    family.ModalResultStyle(result, styleClass, appearance);
    EXPECT_EQ(styleClass, L"Primary");
    EXPECT_EQ(appearance, L"Normal");
  }
}

// Buttons of the family, drawn in a real window.
using WindowTest = ui::UiTest;

TEST_F(WindowTest, AnOutlineButtonShowsNoFillWhenIdleAndTheBaseColourWhenPressed) {
  RegisterTesmoraButtonStyles();
  ui::Form form;
  form.SetColor(kWhite);
  ui::StyledButton& button = ui::Component::Create<ui::StyledButton>(form, form, L"Disable");
  button.SetBounds(0, 0, 84, 33);
  button.SetStyle(L"tesmora", L"Primary", L"Outline");
  EXPECT_EQ(test::DrawnPixel(button, 42, 4), kWhite);
  button.SetDown(true);
  EXPECT_EQ(test::DrawnPixel(button, 42, 4), kBlue);
  ui::UnregisterButtonStyleFamilies();
}

}  // namespace
}  // namespace quorvane
