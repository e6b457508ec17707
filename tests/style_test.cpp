#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/style/colour_rules.h"
#include "app/style/tesmora_button_styles.h"
#include "app/style/theme_helper.h"
#include "ui/application.h"
#include "ui/styled_button.h"
#include "common/error.h"
#include "support/window_capture.h"

namespace quorvane {
namespace {

using ui::BorderDrawStyle;
using ui::ButtonAttributes;
using ui::ButtonDrawStyle;

constexpr Rgb kBase{0x3D, 0x84, 0xDD};
constexpr Rgb kBlack{0, 0, 0};

// ---- Colour rules ------------------------------------------------------------------------------

TEST(ColourRules, TheDerivedColoursComeOutOfTheRules) {
  EXPECT_EQ(Lighten(kBase, 10), (Rgb{0x50, 0x90, 0xE0}));
  EXPECT_EQ(Grey(Lighten(kBase, 50)), (Rgb{0xBC, 0xBC, 0xBC}));
  EXPECT_EQ(Grey(Lighten(kBlack, 50)), (Rgb{0x80, 0x80, 0x80}));
  EXPECT_EQ(Grey(Lighten(kBase, 70)), (Rgb{0xD7, 0xD7, 0xD7}));
  EXPECT_EQ(Grey(Lighten(kBlack, 70)), (Rgb{0xB3, 0xB3, 0xB3}));
}

TEST(ColourRules, LighteningRoundsHalvesAwayFromZeroAndStaysWithinItsBounds) {
  EXPECT_EQ(Lighten(Rgb{0, 132, 254}, 50), (Rgb{128, 194, 255}));  // 127.5 and 61.5 and 0.5 go up
  EXPECT_EQ(Lighten(kBase, 0), kBase);
  EXPECT_EQ(Lighten(kBase, 100), (Rgb{255, 255, 255}));
  EXPECT_EQ(Lighten(kBase, -5), kBase);
  EXPECT_EQ(Lighten(kBase, 250), (Rgb{255, 255, 255}));
}

TEST(ColourRules, GreyRoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(Grey(Rgb{0, 0, 250}), (Rgb{28, 28, 28}));  // 28.5
  EXPECT_EQ(Grey(Rgb{2, 0, 43}), (Rgb{6, 6, 6}));      // 5.5
  EXPECT_EQ(Grey(Rgb{255, 255, 255}), (Rgb{255, 255, 255}));
  EXPECT_EQ(Grey(Rgb{255, 0, 0}), (Rgb{76, 76, 76}));  // 76.245
}

// ---- The Tesmora family ----------------------------------------------------------------------

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
          Attributes(kSolid, kBlue, kNoBorder, kBlue, kWhite),
          Attributes(kSolid, kLight, kNoBorder, kBlue, kWhite),
          Attributes(kSolid, kBlue, kNoBorder, kBlue, kWhite),
          Attributes(kClear, kWhite, kBorder, RGB(0xBC, 0xBC, 0xBC), RGB(0x80, 0x80, 0x80))};
}

ui::StateAttributesSet OutlineSet() {
  return {Attributes(kClear, kBlue, kBorder, kBlue, kBlackText),
          Attributes(kSolid, kBlue, kBorder, kBlue, kWhite),
          Attributes(kSolid, kLight, kBorder, kBlue, kWhite),
          Attributes(kSolid, kLight, kBorder, kBlue, kWhite),
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

class WindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ui::application::Initialize(); }
};

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

// ---- The activation line -------------------------------------------------------------------

class ThemeHelperTest : public WindowTest {
 protected:
  ThemeHelperTest() {
    form_.SetClientSize(412, 432);
    header_.SetAlign(ui::Align::Top);
    header_.SetHeight(50);
  }

  static RECT RectInForm(const ui::Control& control) {
    RECT rect{};
    GetWindowRect(control.Handle(), &rect);
    MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  ui::Form form_;
  ui::Panel& header_ = ui::Component::Create<ui::Panel>(form_, form_);
};

TEST_F(ThemeHelperTest, LaysABlueLineAboveTheHeaderThatTurnsGreyWhileTheWindowIsInactive) {
  TThemeHelper& helper = ui::Component::Create<TThemeHelper>(form_);
  const ui::Shape& line = helper.Line();
  const RECT lineRect = RectInForm(line);
  EXPECT_EQ(lineRect.top, 0);
  EXPECT_EQ(lineRect.bottom, 2);
  EXPECT_EQ(lineRect.right - lineRect.left, 412);
  EXPECT_EQ(RectInForm(header_).top, 2);
  EXPECT_TRUE(line.Visible());
  EXPECT_EQ(test::DrawnPixel(line, 200, 1), kBlue);

  SendMessageW(form_.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(helper.IsActive());
  EXPECT_EQ(line.BrushColor(), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(line.PenColor(), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(test::DrawnPixel(line, 200, 1), GetSysColor(COLOR_GRAYTEXT));
  SendMessageW(form_.Handle(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EXPECT_EQ(line.BrushColor(), kBlue);

  form_.SetClientSize(600, 432);
  EXPECT_EQ(RectInForm(line).right - RectInForm(line).left, 600);
}

TEST_F(ThemeHelperTest, AWindowWithoutBorderShowsNoLine) {
  TThemeHelper& helper = ui::Component::Create<TThemeHelper>(form_);
  form_.SetBorderStyle(ui::BorderStyle::None);
  EXPECT_FALSE(helper.Line().Visible());
  form_.SetClientSize(300, 300);
  EXPECT_FALSE(helper.Line().Visible());
  EXPECT_EQ(RectInForm(header_).top, 0);
}

TEST_F(ThemeHelperTest, AfterTheHelperEndsTheWindowsMessagesNoLongerReachIt) {
  TThemeHelper& helper = ui::Component::Create<TThemeHelper>(form_);
  const ui::Shape& line = helper.Line();
  form_.DestroyComponent(helper);
  SendMessageW(form_.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(line.BrushColor(), kBlue);
}

TEST_F(ThemeHelperTest, AnOwnerThatIsNoFormIsRefused) {
  try {
    ui::Component::Create<TThemeHelper>(header_);
    ADD_FAILURE() << "a panel was taken as the owner";
  } catch (const Error& error) {
    EXPECT_EQ(error.Message(), L"TThemeHelper Owner must be a TForm");
  }
  EXPECT_EQ(header_.OwnedCount(), 0u);
}

}  // namespace
}  // namespace quorvane
