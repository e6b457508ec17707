// Styled buttons and their tool bar in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/form.h"
#include "ui/styled_button.h"
#include "support/ui_fixture.h"
#include "support/window_capture.h"

namespace quorvane::ui {
namespace {

// A family whose states differ only in their fill colour, so that a drawn button shows which
// state it was drawn in.
class ProbeFamily : public ButtonStyleFamily {
 public:
  static constexpr COLORREF kNormal = RGB(10, 20, 30);
  static constexpr COLORREF kPressed = RGB(200, 0, 0);
  static constexpr COLORREF kSelected = RGB(0, 0, 200);
  static constexpr COLORREF kHot = RGB(0, 200, 0);
  static constexpr COLORREF kDisabled = RGB(100, 100, 100);

  void StateAttributes(const std::wstring&, const std::wstring&, const std::wstring&,
                       StateAttributesSet& attributes) const override {
    ButtonAttributes base;
    base.drawType = DrawType::Rect;
    base.borderWidth = 0;
    for (auto [state, color] : {std::pair{&attributes.normal, kNormal},
                                {&attributes.pressed, kPressed},
                                {&attributes.selected, kSelected},
                                {&attributes.hot, kHot},
                                {&attributes.disabled, kDisabled}}) {
      *state = base;
      state->buttonColor = color;
    }
  }
  std::wstring FamilyName() const override { return L"Probe"; }
  std::vector<std::wstring> ButtonClasses() const override { return {L"Primary"}; }
  std::vector<std::wstring> ButtonAppearances() const override { return {L"Normal"}; }
  void ModalResultStyle(int, std::wstring& styleClass, std::wstring& appearance) const override {
    styleClass = L"Primary";
    appearance = L"Normal";
  }
};

TEST_F(UiTest, StyledButtonsAreDrawnWithTheirFamilysAttributesForEachState) {
  RegisterButtonStyleFamily(std::make_unique<ProbeFamily>());
  Form form;
  form.Show();
  StyledButton& button = Component::Create<StyledButton>(form, form, L"Disable");
  button.SetBounds(10, 10, 84, 30);
  button.SetStyle(L"PROBE", L"Primary", L"Normal");

  EXPECT_EQ(button.State(), ButtonState::Normal);
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kNormal);
  button.SetDown(true);
  EXPECT_EQ(button.State(), ButtonState::Pressed);
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kPressed);
  button.SetDown(false);
  SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kHot);
  SendMessageW(button.Handle(), WM_MOUSELEAVE, 0, 0);
  SetFocus(button.Handle());
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kSelected);
  button.SetEnabled(false);
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kDisabled);

  // A family that nobody registered leaves the plain look.
  button.SetStyle(L"Unknown", L"Primary", L"Normal");
  EXPECT_EQ(button.Attributes().normal, ButtonAttributes());
  UnregisterButtonStyleFamilies();
  EXPECT_EQ(FindButtonStyleFamily(L"Probe"), nullptr);
}

TEST_F(UiTest, AToolBarLaysItsButtonsOutInARowAfterItsIndent) {
  Form form;
  StyledToolBar& bar = Component::Create<StyledToolBar>(form, form);
  bar.SetBounds(0, 0, 272, 30);
  bar.SetButtonSize(70, 30);
  bar.SetIndent(10);
  bar.SetButtonStyle(L"Probe", L"Header", DrawType::RoundRect, 4);
  StyledButton& home = bar.AddButton(form, L"Home");
  StyledButton& second = bar.AddButton(form, L"Second");
  EXPECT_THAT(RectInParent(home), IsRect(10, 0, 80, 30));
  EXPECT_THAT(RectInParent(second), IsRect(80, 0, 150, 30));
  EXPECT_EQ(second.StyleAppearance(), L"Header");
}

}  // namespace
}  // namespace quorvane::ui
