#include "checkin/reply_lists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

struct Lists {
  NameList fileWhite;
  NameList nameWhite;
  NameList nameBlack;

  void Merge(const std::wstring& reply) { MergeReplyLists(reply, fileWhite, nameWhite, nameBlack); }
};

TEST(MergeReplyLists, MergesEachArrayIntoItsList) {
  Lists lists;
  lists.nameWhite.Add(L"Spooler");
  lists.Merge(
      LR"({"update":"","name_white":["SPOOLER","VendorSvc"],"file_white":["Tray.exe*","\\Vendor\\"],
                  "name_black":["\uBCF4\uC548 \uD504\uB85C\uADF8\uB7A8"],"other":["x"]})");
  EXPECT_THAT(lists.fileWhite.Texts(), ElementsAre(L"\\Vendor\\", L"Tray.exe*"));
  EXPECT_THAT(lists.nameWhite.Texts(), ElementsAre(L"Spooler", L"VendorSvc"));
  EXPECT_THAT(lists.nameBlack.Texts(), ElementsAre(L"\uBCF4\uC548 \uD504\uB85C\uADF8\uB7A8"));
}

TEST(MergeReplyLists, TakesOtherElementsAsTheirJsonTextOrTheEmptyText) {
  Lists lists;
  lists.Merge(LR"({"name_white":[7, 0.25, -3e2, true, null, ["a", ["b"]], {"c": 1}, [], {}, "7"]})");
  EXPECT_THAT(lists.nameWhite.Texts(), UnorderedElementsAre(L"", L"-300.0", L"0.25", L"7", L"null", L"true"));
}

TEST(MergeReplyLists, MergesTheArraysThatAreThereWhenOthersAreMissingOrNoArrays) {
  Lists lists;
  lists.Merge(LR"({"file_white":"Tray.exe*","name_white":{"0":"x"},"name_black":["Plug-in"]})");
  EXPECT_THAT(lists.fileWhite.Texts(), IsEmpty());
  EXPECT_THAT(lists.nameWhite.Texts(), IsEmpty());
  EXPECT_THAT(lists.nameBlack.Texts(), ElementsAre(L"Plug-in"));
}

std::wstring Repeated(const std::wstring& part, int times) {
  std::wstring text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

constexpr int kDeep = 10000;

class UselessReplies : public testing::TestWithParam<std::wstring> {};

TEST_P(UselessReplies, MergeNothing) {
  Lists lists;
  lists.nameWhite.Add(L"kept");
  lists.Merge(GetParam());
  EXPECT_THAT(lists.fileWhite.Texts(), IsEmpty());
  EXPECT_THAT(lists.nameWhite.Texts(), ElementsAre(L"kept"));
  EXPECT_THAT(lists.nameBlack.Texts(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    NotAnObject, UselessReplies,
    testing::Values(L"", L"   ", L"[{\"name_white\":[\"x\"]}]", L"\"name_white\"", L"42", L"null", L"true",
                    L"<!DOCTYPE html><html><body><h1>502 Bad Gateway</h1>\"name_white\":[\"x\"]</body></html>",
                    // Truncated, or broken after a good start: nothing at all is merged.
                    L"{\"name_white\":[\"x\"", L"{\"name_white\":[\"x\"],", L"{\"name_white\":[\"x\"]}}",
                    L"{\"name_white\":[\"x\"]} trailing", L"{\"name_white\":[\"\\x\"]}",
                    L"{\"name_white\":[\"x\"],\"file_white\":[1,]}", L"{'name_white':['x']}",
                    // Nested ten thousand levels deep, closed or not, as an array or an object.
                    Repeated(L"[", kDeep) + Repeated(L"]", kDeep), Repeated(L"[", kDeep),
                    Repeated(L"{\"name_white\":", kDeep) + L"[\"x\"]" + Repeated(L"}", kDeep),
                    L"{\"name_white\":[\"x\"," + Repeated(L"[", kDeep)));

TEST(MergeReplyLists, TakesADeeplyNestedElementAsTheEmptyText) {
  Lists lists;
  lists.Merge(L"{\"name_white\":[\"x\"," + Repeated(L"[", kDeep) + Repeated(L"]", kDeep) + L"]}");
  EXPECT_THAT(lists.nameWhite.Texts(), ElementsAre(L"", L"x"));
}

}  // namespace
}  // namespace quorvane
