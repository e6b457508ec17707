// Menus in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/form.h"
#include "ui/menu.h"
#include "support/ui_fixture.h"

namespace quorvane::ui {
namespace {

using testing::ElementsAre;

TEST_F(UiTest, APopupMenuRunsTheChosenItemsClick) {
  Form form;
  form.Show();
  PopupMenu& menu = Component::Create<PopupMenu>(form);
  MenuItem& first = menu.Items().Add(L"first");
  MenuItem& second = menu.Items().Add(L"A & B");
  std::vector<MenuItem*> chosen;
  first.OnClick = [&](MenuItem& sender) { chosen.push_back(&sender); };
  second.OnClick = [&](MenuItem& sender) { chosen.push_back(&sender); };

  // The menu's own loop reads the keys that wait in the queue: down twice, then Enter.
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(form.Handle(), WM_KEYDOWN, key, 0);
  menu.Popup(form.Handle(), {10, 10});
  EXPECT_THAT(chosen, ElementsAre(&second));
}

}  // namespace
}  // namespace quorvane::ui
