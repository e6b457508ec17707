#include "app/translation/translatable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/translation/translation.h"

namespace quorvane {
namespace {

using testing::ElementsAre;

// Every caption change, in the order the walk makes them.
using ChangeLog = std::vector<std::wstring>;

class FakeMenuItem final : public TranslatableMenuItem {
 public:
  FakeMenuItem(ChangeLog& log, std::wstring caption) : log_(log), caption_(std::move(caption)) {}

  FakeMenuItem& Add(std::wstring caption) {
    items_.push_back(std::make_unique<FakeMenuItem>(log_, std::move(caption)));
    return *items_.back();
  }

  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override {
    log_.push_back(caption_ + L" -> " + caption);
    caption_ = caption;
  }
  std::size_t ItemCount() const override { return items_.size(); }
  TranslatableMenuItem& Item(std::size_t index) override { return *items_.at(index); }

 private:
  ChangeLog& log_;
  std::wstring caption_;
  std::vector<std::unique_ptr<FakeMenuItem>> items_;
};

class FakeComponent final : public TranslatableComponent {
 public:
  // A component without a caption: the walk must neither read nor write one.
  explicit FakeComponent(ChangeLog& log) : log_(log) {}
  FakeComponent(ChangeLog& log, std::wstring caption) : log_(log), hasCaption_(true), caption_(std::move(caption)) {}

  FakeComponent& Own(std::unique_ptr<FakeComponent> component) {
    owned_.push_back(std::move(component));
    return *owned_.back();
  }
  FakeMenuItem& MakePopupMenu() {
    topItem_ = std::make_unique<FakeMenuItem>(log_, L"");
    return *topItem_;
  }

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
  TranslatableMenuItem* PopupMenuTopItem() override { return topItem_.get(); }
  std::size_t OwnedCount() const override { return owned_.size(); }
  TranslatableComponent& Owned(std::size_t index) override { return *owned_.at(index); }

 private:
  ChangeLog& log_;
  bool hasCaption_ = false;
  std::wstring caption_;
  std::unique_ptr<FakeMenuItem> topItem_;
  std::vector<std::unique_ptr<FakeComponent>> owned_;
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
  FakeComponent& panel = window.Own(std::make_unique<FakeComponent>(log_));
  panel.Own(std::make_unique<FakeComponent>(log_, kHome));
  FakeComponent& frame = panel.Own(std::make_unique<FakeComponent>(log_, kEscaped));
  frame.Own(std::make_unique<FakeComponent>(log_, kAllPrograms));
  FakeComponent& popup = frame.Own(std::make_unique<FakeComponent>(log_));
  FakeMenuItem& topItem = popup.MakePopupMenu();
  topItem.Add(kSaveList);
  topItem.Add(kEnable).Add(kSaveFile);
  window.Own(std::make_unique<FakeComponent>(log_, L""));

  TranslateComponent(&window);

  EXPECT_THAT(log_, ElementsAre(Change(L"Quorvane"), Change(kHome), L"two\\nlines -> two\rlines", Change(kAllPrograms),
                                L" -> ", Change(kSaveList), Change(kEnable), Change(kSaveFile), L" -> "));
}

TEST_F(TranslateWalk, TranslatesAMenuItemAndItsSubItems) {
  FakeMenuItem item(log_, kEscaped);
  item.Add(kHome).Add(kEscaped).Add(kSaveList);
  item.Add(kEnable);
  TranslateMenuItem(item);
  EXPECT_THAT(log_, ElementsAre(L"two\\nlines -> two\rlines", Change(kHome), L"two\\nlines -> two\rlines",
                                Change(kSaveList), Change(kEnable)));
}

TEST_F(TranslateWalk, LeavesANullComponentAlone) {
  TranslateComponent(nullptr);
  EXPECT_THAT(log_, testing::IsEmpty());
}

}  // namespace
}  // namespace quorvane
