#include "app/console/catalogue_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/text.h"

namespace quorvane {
namespace {

TAutorunInfo Info(const std::wstring& from, const std::wstring& caption, const std::wstring& target, bool enabled) {
  TAutorunInfo info;
  info.From = from;
  info.Caption = caption;
  info.Target = target;
  info.FileName = L"C:\\f.exe";
  info.RawData = L"\"C:\\f.exe\" /x";
  info.Enabled = enabled;
  return info;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the last line has no CR LF";
  return lines;
}

TEST(DisplayWidth, CountsEastAsianCharactersAsTwoColumns) {
  EXPECT_EQ(DisplayWidth(L""), 0u);
  EXPECT_EQ(DisplayWidth(L"Tool"), 4u);
  EXPECT_EQ(DisplayWidth(L"\uC804\uCCB4\uBAA9\uB85D"), 8u);
  EXPECT_EQ(DisplayWidth(L"\u00E9\u3042"), 3u);
  EXPECT_EQ(DisplayWidth(L"\U00020000"), 2u);
}

TEST(FormatCatalogueTable, AlignsTheColumnsByTheirWidthOnScreen) {
  const AutorunList list = {Info(L"HKCU", L"\uC804\uCCB4", L"HKCU\\Run\\x", false),
                            Info(L"FILE", L"Longer caption", L"C:\\a.lnk", true)};
  EXPECT_THAT(Lines(FormatCatalogueTable(list)),
              testing::ElementsAre(L"State  Source  Caption         Target",
                                   L"off    HKCU    \uC804\uCCB4            HKCU\\Run\\x",
                                   L"on     FILE    Longer caption  C:\\a.lnk"));
}

TEST(FormatCatalogueTable, ShowsControlCharactersAsQuestionMarks) {
  const AutorunList list = {Info(L"HKCU", L"two\r\nlines\t", L"HKCU\\Run\\two\r\nlines\t", true)};
  EXPECT_THAT(Lines(FormatCatalogueTable(list)),
              testing::ElementsAre(L"State  Source  Caption      Target", L"on     HKCU    two??lines?  HKCU\\Run\\two??lines?"));
}

TEST(FormatCatalogueJson, IsAnArrayOfOneObjectPerEntryInCatalogueOrder) {
  EXPECT_EQ(FormatCatalogueJson({}), L"[]\r\n");

  const AutorunList list = {Info(L"HKCU", L"\"quoted\" \\ \uC804\x01", L"HKCU\\Run\\q", false),
                            Info(L"FILE", L"b", L"C:\\b.lnk", true)};
  const std::wstring text = FormatCatalogueJson(list);
  EXPECT_THAT(Lines(text), testing::SizeIs(4));
  const auto parsed = nlohmann::ordered_json::parse(ToUtf8(text));
  ASSERT_TRUE(parsed.is_array());
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].dump(), R"({"from":"HKCU","caption":"\"quoted\" \\ )" "\xEC\xA0\x84" R"(\u0001","target":"HKCU\\Run\\q",)"
                              R"("fileName":"C:\\f.exe","rawData":"\"C:\\f.exe\" /x","enabled":false})");
  EXPECT_EQ(parsed[1]["enabled"], true);
}

}  // namespace
}  // namespace quorvane
