#include "listview/loading_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace quorvane {
namespace {

TEST(LoadingText, EachInterfaceLanguageHasALineOfItsOwn) {
  std::set<std::wstring> lines;
  for (const wchar_t* language : {L"ko", L"en", L"ja", L"zh", L"ru", L"it", L"fr", L"ar"}) {
    const std::wstring line = LoadingText(language);
    EXPECT_THAT(line, testing::HasSubstr(L"\u2026")) << testing::PrintToString(language);
    lines.insert(line);
  }
  EXPECT_EQ(lines.size(), 8u);
  EXPECT_EQ(LoadingText(L"en"), L"Loading\u2026");
  EXPECT_EQ(LoadingText(L"ko"), L"\uBD88\uB7EC\uC624\uB294 \uC911\u2026");
}

TEST(LoadingText, OtherLanguagesGetTheEnglishLine) {
  for (const wchar_t* language : {L"de", L"", L"EN", L"kor"}) {
    EXPECT_EQ(LoadingText(language), L"Loading\u2026") << testing::PrintToString(language);
  }
}

}  // namespace
}  // namespace quorvane
