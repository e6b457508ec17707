// Components in real windows, on the test run's virtual display: ownership and the tree that the
// translation walks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menu.h"
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

  Component& window = form;
  ASSERT_EQ(window.OwnedCount(), 3u);
  EXPECT_FALSE(window.Owned(0).HasCaption());
  EXPECT_TRUE(window.Owned(1).HasCaption());
  EXPECT_EQ(window.Owned(1).Caption(), L"\uCD9C\uCC98");
  // The panel owns nothing (the label's owner is the form); the menu owns its top item, which
  // shows no caption of its own and owns the items.
  EXPECT_EQ(window.Owned(0).OwnedCount(), 0u);
  ASSERT_EQ(window.Owned(2).OwnedCount(), 1u);
  Component& top = window.Owned(2).Owned(0);
  EXPECT_EQ(&top, static_cast<Component*>(&menu.Items()));
  EXPECT_EQ(top.Caption(), L"");
  ASSERT_EQ(top.OwnedCount(), 1u);
  EXPECT_EQ(&top.Owned(0), static_cast<Component*>(&save));
  EXPECT_TRUE(save.HasCaption());

  window.Owned(1).SetCaption(L"Loc");
  wchar_t text[16] = {};
  GetWindowTextW(label.Handle(), text, 16);
  EXPECT_STREQ(text, L"Loc");
  window.SetCaption(L"Quorvane");
  EXPECT_EQ(form.Caption(), L"Quorvane");
}

}  // namespace
}  // namespace quorvane::ui
