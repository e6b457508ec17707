// Pictures for each DPI in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/form.h"
#include "ui/image.h"
#include "support/ui_fixture.h"
#include "support/window_capture.h"

namespace quorvane::ui {
namespace {

TEST(ChooseDpiStep, TakesTheStepMadeForTheDpiOrTheNextLargerOne) {
  const std::map<int, std::wstring> steps = {{96, L"A_96"}, {144, L"A_144"}, {192, L"A_192"}};
  EXPECT_EQ(ChooseDpiStep(steps, 96), 96);
  EXPECT_EQ(ChooseDpiStep(steps, 120), 144);
  EXPECT_EQ(ChooseDpiStep(steps, 72), 96);
  EXPECT_EQ(ChooseDpiStep(steps, 288), 192);
  EXPECT_EQ(ChooseDpiStep({}, 96), 0);
}

// The logo carried by this test program is the program's own, rendered at build time.
TEST_F(UiTest, AnImageDrawsTheRenderingForItsDpiOnItsParentsBackground) {
  Form form;
  form.SetColor(RGB(255, 255, 255));
  Image& logo = Component::Create<Image>(form, form, L"LOGO");
  logo.SetBounds(3, 0, 112, 50);
  EXPECT_EQ(logo.ShownStep(), 96);
  EXPECT_EQ(test::DrawnPixel(logo, 8, 25), RGB(0x3D, 0x84, 0xDD));  // the mark's blue disc
  EXPECT_EQ(test::DrawnPixel(logo, 1, 1), RGB(255, 255, 255));      // transparent: the background

  int clicks = 0;
  logo.OnClick = [&](Control&) { ++clicks; };
  SendMessageW(logo.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);

  Image& missing = Component::Create<Image>(form, form, L"NO_SUCH_PICTURE");
  missing.SetBounds(0, 60, 20, 20);
  EXPECT_EQ(missing.ShownStep(), 0);
  EXPECT_EQ(test::DrawnPixel(missing, 5, 5), RGB(255, 255, 255));
}

}  // namespace
}  // namespace quorvane::ui
