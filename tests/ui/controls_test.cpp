// The standard controls in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/form.h"
#include "support/ui_fixture.h"

namespace quorvane::ui {
namespace {

using testing::ElementsAre;

TEST_F(UiTest, AlignedControlsShareTheAreaTopBottomLeftRightThenClient) {
  Form form;
  form.SetClientSize(412, 432);
  Panel& head = Component::Create<Panel>(form, form);
  head.SetAlign(Align::Top);
  head.SetHeight(50);
  Panel& logo = Component::Create<Panel>(form, head);
  logo.SetAlign(Align::Right);
  logo.SetWidth(120);
  Panel& main = Component::Create<Panel>(form, form);
  main.SetAlign(Align::Client);
  main.SetPadding({8, 0, 8, 0});
  Panel& status = Component::Create<Panel>(form, form);
  status.SetAlign(Align::Bottom);
  status.SetHeight(28);
  Panel& page = Component::Create<Panel>(form, main);
  page.SetAlign(Align::Client);
  Label& placed = Component::Create<Label>(form, page, L"x");
  placed.SetBounds(2, 16, 135, 17);
  Panel& spaced = Component::Create<Panel>(form, head);
  spaced.SetAlign(Align::Client);
  spaced.SetMargins({10, 10, 10, 10});

  ASSERT_EQ(form.Dpi(), 96);
  EXPECT_THAT(RectInParent(head), IsRect(0, 0, 412, 50));
  EXPECT_THAT(RectInParent(logo), IsRect(292, 0, 412, 50));
  EXPECT_THAT(RectInParent(spaced), IsRect(10, 10, 282, 40));
  EXPECT_THAT(RectInParent(status), IsRect(0, 404, 412, 432));
  EXPECT_THAT(RectInParent(main), IsRect(0, 50, 412, 404));
  EXPECT_THAT(RectInParent(page), IsRect(8, 0, 404, 354));
  EXPECT_THAT(RectInParent(placed), IsRect(2, 16, 137, 33));

  // A strip put first among the top-aligned controls pushes the others down.
  Shape& line = Component::Create<Shape>(form, form);
  line.SetAlign(Align::Top);
  line.SetHeight(2);
  line.MoveToFirst();
  EXPECT_THAT(RectInParent(line), IsRect(0, 0, 412, 2));
  EXPECT_THAT(RectInParent(head), IsRect(0, 2, 412, 52));

  // Hidden controls take no room; growing the form grows the client-aligned control.
  status.SetVisible(false);
  EXPECT_THAT(RectInParent(main), IsRect(0, 52, 412, 432));
  form.SetClientSize(500, 432);
  EXPECT_THAT(RectInParent(main), IsRect(0, 52, 500, 432));
}

TEST_F(UiTest, CardPanelsShowOnePageAtATime) {
  Form form;
  CardPanel& cards = Component::Create<CardPanel>(form, form);
  cards.SetAlign(Align::Client);
  Panel& first = cards.AddCard(form);
  Panel& second = cards.AddCard(form);
  EXPECT_TRUE(IsWindowVisible(first.Handle()) || !IsWindowVisible(form.Handle()));
  EXPECT_TRUE(first.Visible());
  EXPECT_FALSE(second.Visible());
  cards.SetActiveCard(1);
  EXPECT_FALSE(first.Visible());
  EXPECT_TRUE(second.Visible());
  EXPECT_EQ(RectInParent(second).right, cards.ClientRect().right);
}

TEST_F(UiTest, NotificationsComeBackToTheControlThatSentThem) {
  Form form;
  CheckBox& box = Component::Create<CheckBox>(form, form, L"all");
  box.SetBounds(0, 0, 100, 20);
  Label& link = Component::Create<Label>(form, form, L"link");
  link.SetBounds(0, 30, 50, 20);
  std::vector<Control*> clicked;
  box.OnClick = [&](Control& sender) { clicked.push_back(&sender); };
  link.OnClick = [&](Control& sender) { clicked.push_back(&sender); };

  SendMessageW(box.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(box.Checked());
  SendMessageW(link.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(link.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_THAT(clicked, ElementsAre(&box, &link));
}

}  // namespace
}  // namespace quorvane::ui
