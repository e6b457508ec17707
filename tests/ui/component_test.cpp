// Components in real windows, on the test run's virtual display: ownership and the tree that the
// translation walks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/ui/controls.h"
#include "app/ui/form.h"
#include "app/ui/menu.h"
#include "support/ui_fixture.h"

namespace quorvane::ui {
namespace {

using testing::ElementsAre;

// Records, in its owner's log, the moment it ends.
class Recorder : public Component {
 public:
  Recorder(Component& owner, std::wstring name, std::vector<std::wstring>& log) : Component(owner), log_(log) {
    SetName(std::move(name));
  }
  ~Recorder() override { log_.push_back(Name()); }

 private:
  std::vector<std::wstring>& log_;
};

// An owner ends its components after its own destructor has run, the last created first.
TEST_F(UiTest, OwnersFindTheirComponentsByNameAndEndThemLastCreatedFirst) {
  std::vector<std::wstring> ended;
  {
    Form form;
    Recorder& first = Component::Create<Recorder>(form, L"first", ended);
    Component::Create<Recorder>(first, L"inner", ended);
    Component::Create<Recorder>(form, L"second", ended);
    EXPECT_EQ(form.FindComponent(L"second"), &form.Owned(1));
    EXPECT_EQ(form.FindComponent(L"inner"), nullptr);
    EXPECT_EQ(form.OwnedCount(), 2u);
  }
  EXPECT_THAT(ended, ElementsAre(L"second", L"first", L"inner"));
}

TEST_F(UiTest, CaptionsOwnedComponentsAndMenusAreWhatTheTranslationWalkSees) {
  Form form;
  Panel& panel = Component::Create<Panel>(form, form);
  Label& label = Component::Create<Label>(form, panel, L"\uCD9C\uCC98");
  PopupMenu& menu = Component::Create<PopupMenu>(form);
  MenuItem& save = menu.Items().Add(L"\uBAA9\uB85D \uC800\uC7A5");

  TranslatableComponent& window = form;
  ASSERT_EQ(window.OwnedCount(), 3u);
  EXPECT_FALSE(window.Owned(0).HasCaption());
  EXPECT_TRUE(window.Owned(1).HasCaption());
  EXPECT_EQ(window.Owned(1).Caption(), L"\uCD9C\uCC98");
  EXPECT_EQ(window.Owned(0).PopupMenuTopItem(), nullptr);
  TranslatableMenuItem* top = window.Owned(2).PopupMenuTopItem();
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(top->ItemCount(), 1u);
  EXPECT_EQ(&top->Item(0), static_cast<TranslatableMenuItem*>(&save));

  window.Owned(1).SetCaption(L"Loc");
  wchar_t text[16] = {};
  GetWindowTextW(label.Handle(), text, 16);
  EXPECT_STREQ(text, L"Loc");
  window.SetCaption(L"Quorvane");
  EXPECT_EQ(form.Caption(), L"Quorvane");
}

}  // namespace
}  // namespace quorvane::ui
