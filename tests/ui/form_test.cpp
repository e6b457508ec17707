// Forms in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/form.h"
#include "support/ui_fixture.h"

namespace quorvane::ui {
namespace {

TEST_F(UiTest, EndingAFormEndsTheWindowsOfEverythingItOwns) {
  auto form = std::make_unique<Form>();
  Panel& panel = Component::Create<Panel>(*form, *form);
  Label& label = Component::Create<Label>(*form, panel, L"text");
  const HWND formWindow = form->Handle();
  const HWND labelWindow = label.Handle();
  form.reset();
  EXPECT_FALSE(IsWindow(labelWindow));
  EXPECT_FALSE(IsWindow(formWindow));
}

TEST_F(UiTest, ShowModalReturnsTheModalResultAndKeepsTheMainWindowFromInput) {
  Form mainForm;
  application::SetMainForm(&mainForm);
  Form& dialog = Component::Create<Form>(mainForm);
  CheckBox& yes = Component::Create<CheckBox>(dialog, dialog, L"yes");
  yes.SetBounds(0, 0, 100, 20);
  bool mainWindowTookInput = true;
  yes.OnClick = [&](Control&) {
    mainWindowTookInput = IsWindowEnabled(mainForm.Handle()) != FALSE;
    dialog.SetModalResult(IDYES);
  };

  PostMessageW(yes.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), IDYES);
  EXPECT_FALSE(mainWindowTookInput);
  EXPECT_TRUE(IsWindowEnabled(mainForm.Handle()));
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));

  PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), IDCANCEL);
  EXPECT_TRUE(IsWindow(dialog.Handle()));
  application::SetMainForm(nullptr);
}

}  // namespace
}  // namespace quorvane::ui
