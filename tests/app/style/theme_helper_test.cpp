#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/style/theme_helper.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "common/error.h"
#include "support/ui_fixture.h"
#include "support/window_capture.h"

namespace quorvane {
namespace {

// The line colour: the family's base blue.
constexpr COLORREF kBlue = RGB(0x3D, 0x84, 0xDD);

class ThemeHelperTest : public ui::UiTest {
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
