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
              testing::ElementsAre(L"State  Source  Caption      Target",
                                   L"on     HKCU    two??lines?  HKCU\\Run\\two??lines?"));
}

CatalogueReport Reported(const AutorunList& list) {
  CatalogueReport report;
  for (const TAutorunInfo& entry : list) report.push_back({entry, {}});
  return report;
}

TEST(FormatCatalogueJson, IsAnArrayOfOneObjectPerEntryInCatalogueOrder) {
  EXPECT_EQ(FormatCatalogueJson({}), L"[]\r\n");

  CatalogueReport report = Reported(
      {Info(L"HKCU", L"\"quoted\" \\ \uC804\x01", L"HKCU\\Run\\q", false), Info(L"FILE", L"b", L"C:\\b.lnk", true)});
  report[0].details = {L"Product \uC804",
                       L"Desc",
                       L"Vendor",
                       L"1.2.3.4",
                       true,
                       L"2026-12-10T09:41:07Z",
                       FileSignature{SignatureState::Untrusted, L"Signer \"S\""}};
  const std::wstring text = FormatCatalogueJson(report);
  EXPECT_THAT(Lines(text), testing::SizeIs(4));
  const auto parsed = nlohmann::ordered_json::parse(ToUtf8(text));
  ASSERT_TRUE(parsed.is_array());
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0].dump(), R"({"from":"HKCU","caption":"\"quoted\" \\ )"
                              "\xEC\xA0\x84"
                              R"(\u0001","target":"HKCU\\Run\\q",)"
                              R"("fileName":"C:\\f.exe","rawData":"\"C:\\f.exe\" /x","enabled":false,)"
                              R"("product":"Product )"
                              "\xEC\xA0\x84"
                              R"(","description":"Desc","company":"Vendor",)"
                              R"("version":"1.2.3.4","fileExists":true,"disabledAt":"2026-12-10T09:41:07Z",)"
                              R"("signature":"untrusted","signer":"Signer \"S\""})");
  EXPECT_EQ(parsed[1].dump(), R"({"from":"FILE","caption":"b","target":"C:\\b.lnk","fileName":"C:\\f.exe",)"
                              R"("rawData":"\"C:\\f.exe\" /x","enabled":true,"product":"","description":"",)"
                              R"("company":"","version":"","fileExists":false,"disabledAt":null,)"
                              R"("signature":null,"signer":null})");
}

// The CSV as a spreadsheet reads it: fields split at commas outside quotes, a doubled quote
// inside quotes standing for one, records ending at CR LF outside quotes.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        records.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        records.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      records.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      records.emplace_back(1);
      ++i;
    } else {
      records.back().back() += c;
    }
  }
  EXPECT_FALSE(quoted) << "a quote is not closed";
  EXPECT_EQ(records.back(), std::vector<std::string>(1)) << "the last record has no CR LF";
  records.pop_back();
  return records;
}

TEST(FormatCatalogueCsv, IsRfc4180WithAByteOrderMarkAHeaderAndTheFieldsOfTheJson) {
  const std::string header =
      "from,caption,target,fileName,rawData,enabled,product,description,company,version,fileExists,disabledAt,"
      "signature,signer";
  EXPECT_EQ(ToUtf8(FormatCatalogueCsv({})), "\xEF\xBB\xBF" + header + "\r\n");

  CatalogueReport report = Reported(
      {Info(L"HKCU", L"a,b \"c\"\r\nd", L"HKCU\\Run\\a,b", false), Info(L"FILE", L"\uB3C4\uAD6C", L"C:\\b.lnk", true)});
  report[0].details = {L"P",
                       L"",
                       L"Vendor, Inc.",
                       L"1.0",
                       true,
                       L"2026-12-10T09:41:07Z",
                       FileSignature{SignatureState::Valid, L"Vendor, Inc."}};
  const std::string text = ToUtf8(FormatCatalogueCsv(report));
  ASSERT_TRUE(text.starts_with("\xEF\xBB\xBF" + header + "\r\n"));
  EXPECT_THAT(text, testing::HasSubstr("\"a,b \"\"c\"\"\r\nd\""));

  const auto records = ParseCsv(text.substr(3));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_THAT(records[1], testing::ElementsAre("HKCU", "a,b \"c\"\r\nd", "HKCU\\Run\\a,b", "C:\\f.exe",
                                               "\"C:\\f.exe\" /x", "false", "P", "", "Vendor, Inc.", "1.0", "true",
                                               "2026-12-10T09:41:07Z", "valid", "Vendor, Inc."));
  EXPECT_THAT(records[2], testing::ElementsAre("FILE", "\xEB\x8F\x84\xEA\xB5\xAC", "C:\\b.lnk", "C:\\f.exe",
                                               "\"C:\\f.exe\" /x", "true", "", "", "", "", "false", "", "", ""));
}

TEST(IsoTimeOfFileTime, GivesUtcToTheSecond) {
  // 2026-12-10 09:41:07.5 UTC.
  EXPECT_EQ(IsoTimeOfFileTime(134413692675000000ull), L"2026-12-10T09:41:07Z");
  EXPECT_EQ(IsoTimeOfFileTime(1), L"1601-01-01T00:00:00Z");
  EXPECT_EQ(IsoTimeOfFileTime(0x8000000000000000ull), std::nullopt);
}

}  // namespace
}  // namespace quorvane
