#include "app/translation/translatable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/translation/translation.h"

namespace quorvane {
namespace {

using testing::ElementsAre;

// Every caption change, in the order the walk makes them.
using ChangeLog = std::vector<std::wstring>;

// A component of the toolkit's tree that logs each caption change. A popup menu is built as
// the toolkit builds one: a component without a caption that owns its top item, whose caption
// is empty and which owns the menu's items.
class FakeComponent final : public ui::Component {
 public:
  // A component without a caption: the walk must neither read nor write one.
  explicit FakeComponent(ChangeLog& log) : log_(log) {}
  FakeComponent(ui::Component& owner, ChangeLog& log) : ui::Component(owner), log_(log) {}
  FakeComponent(ui::Component& owner, ChangeLog& log, std::wstring caption)
      : ui::Component(owner), log_(log), hasCaption_(true), caption_(std::move(caption)) {}
  FakeComponent(ChangeLog& log, std::wstring caption) : log_(log), hasCaption_(true), caption_(std::move(caption)) {}

  FakeComponent& Own() { return Create<FakeComponent>(*this, log_); }
  FakeComponent& Own(std::wstring caption) { return Create<FakeComponent>(*this, log_, std::move(caption)); }
  // This component as a popup menu: the top item, to which the items are added.
  FakeComponent& MakePopupMenu() { return Own(L""); }
  // A menu item below this one.
  FakeComponent& Add(std::wstring caption) { return Own(std::move(caption)); }

  bool HasCaption() const override { return hasCaption_; }
  std::wstring Caption() const override {
    if (!hasCaption_) ADD_FAILURE() << "caption read of a component without one";
    return caption_;
  }
  void SetCaption(const std::wstring& caption) override {
    if (!hasCaption_) ADD_FAILURE() << "caption written to a component without one";
    log_.push_back(caption_ + L" -> " + caption);
    caption_ = caption;
  }

 private:
  ChangeLog& log_;
  bool hasCaption_ = false;
  std::wstring caption_;
};

class TranslateWalk : public testing::Test {
 protected:
  void SetUp() override { InitTranslation(); }
  void TearDown() override { ReleaseTranslation(); }

  // "a -> b" for a caption that the walk translates.
  static std::wstring Change(const std::wstring& caption) { return caption + L" -> " + Translate(caption); }

  ChangeLog log_;
};

const std::wstring kHome = L"\uCC98\uC74C\uD654\uBA74";
const std::wstring kAllPrograms = L"\uC804\uCCB4\uBAA9\uB85D";
const std::wstring kEnable = L"\uC0AC\uC6A9\uD568";
const std::wstring kSaveFile = L"\uD30C\uC77C \uC800\uC7A5";
const std::wstring kSaveList = L"\uBAA9\uB85D \uC800\uC7A5";
// Translates to the same text in every language, so the walk is seen whatever the locale.
const std::wstring kEscaped = L"two\\nlines";

TEST_F(TranslateWalk, TranslatesCaptionsAndPopupMenusAtAnyDepthInOrderOfOwnership) {
  FakeComponent window(log_, L"Quorvane");
  FakeComponent& panel = window.Own();
  panel.Own(kHome);
  FakeComponent& frame = panel.Own(kEscaped);
  frame.Own(kAllPrograms);
  FakeComponent& popup = frame.Own();
  FakeComponent& topItem = popup.MakePopupMenu();
  topItem.Add(kSaveList);
  topItem.Add(kEnable).Add(kSaveFile);
  window.Own(L"");

  TranslateComponent(&window);

  EXPECT_THAT(log_, ElementsAre(Change(L"Quorvane"), Change(kHome), L"two\\nlines -> two\rlines", Change(kAllPrograms),
                                L" -> ", Change(kSaveList), Change(kEnable), Change(kSaveFile), L" -> "));
}

TEST_F(TranslateWalk, TranslatesAMenuItemAndItsSubItems) {
  FakeComponent item(log_, kEscaped);
  item.Add(kHome).Add(kEscaped).Add(kSaveList);
  item.Add(kEnable);
  TranslateComponent(&item);
  EXPECT_THAT(log_, ElementsAre(L"two\\nlines -> two\rlines", Change(kHome), L"two\\nlines -> two\rlines",
                                Change(kSaveList), Change(kEnable)));
}

TEST_F(TranslateWalk, LeavesANullComponentAlone) {
  TranslateComponent(nullptr);
  EXPECT_THAT(log_, testing::IsEmpty());
}

}  // namespace
}  // namespace quorvane
