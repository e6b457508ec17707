#include "app/console/baseline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/console/catalogue_diff.h"
#include "common/error.h"
#include "common/text.h"

namespace quorvane {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

constexpr char kJson[] =
    "[\r\n"
    "  {\"from\":\"HKCU\",\"caption\":\"Sync|Me\",\"target\":\"HKCU\\\\Run\\\\Sync|Me\",\"fileName\":\"\","
    "\"rawData\":\"sync.exe -q\",\"enabled\":false,\"product\":\"\"},\r\n"
    "  {\"from\":\"FILE\",\"caption\":\"\xEB\x8F\x84\",\"target\":\"C:\\\\S\\\\\xEB\x8F\x84.lnk\",\"rawData\":\"\","
    "\"enabled\":true}\r\n"
    "]\r\n";

const Baseline kJsonEntries = {{L"HKCU", L"Sync|Me", L"HKCU\\Run\\Sync|Me", false, L"sync.exe -q"},
                               {L"FILE", L"\uB3C4", L"C:\\S\\\uB3C4.lnk", true, L""}};

std::string Utf16(const std::string& utf8, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : FromUtf8(utf8)) {
    const char high = static_cast<char>(c >> 8);
    const char low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

std::wstring ParseError(std::string_view bytes) {
  try {
    ParseBaseline(bytes);
  } catch (const Error& error) {
    return error.Message();
  }
  ADD_FAILURE() << "no error";
  return L"";
}

TEST(ParseBaseline, ReadsListJsonInUtf8WithOrWithoutAByteOrderMarkAndInUtf16WithOne) {
  EXPECT_EQ(ParseBaseline(kJson), kJsonEntries);
  EXPECT_EQ(ParseBaseline("\xEF\xBB\xBF" + std::string(kJson)), kJsonEntries);
  EXPECT_EQ(ParseBaseline(Utf16(kJson, false)), kJsonEntries);
  EXPECT_EQ(ParseBaseline(Utf16(kJson, true)), kJsonEntries);
  EXPECT_EQ(ParseBaseline("[]"), Baseline{});
}

TEST(ParseBaseline, ReadsASavedListWithMixedLineEndsAndFindsWhereCaptionAndTargetPart) {
  const std::string savedList =
      "\xEF\xBB\xBF"
      "HKCU|Sync|Me|HKCU\\Software\\Run\\Sync|Me\r\n"
      "FILE|a|b|C:\\Start|Up\\a|b.lnk\n"
      "SCHE|Nightly|\\Nightly\r\n"
      "SERV|Display|Name|svc\n"
      "HKLM||HKLM\\Software\\Run\\\r\n";
  EXPECT_THAT(ParseBaseline(savedList),
              ElementsAre(BaselineEntry{L"HKCU", L"Sync|Me", L"HKCU\\Software\\Run\\Sync|Me", {}, {}},
                          BaselineEntry{L"FILE", L"a|b", L"C:\\Start|Up\\a|b.lnk", {}, {}},
                          BaselineEntry{L"SCHE", L"Nightly", L"\\Nightly", {}, {}},
                          BaselineEntry{L"SERV", L"Display|Name", L"svc", {}, {}},
                          BaselineEntry{L"HKLM", L"", L"HKLM\\Software\\Run\\", {}, {}}));
  // Without its byte order mark, and the saved list of an empty catalogue.
  EXPECT_EQ(ParseBaseline("SCHE|Nightly|\\Nightly\r\n").size(), 1u);
  EXPECT_EQ(ParseBaseline("\xEF\xBB\xBF"), Baseline{});
}

struct BadBaseline {
  const char* label;
  std::string bytes;
  const wchar_t* reason;
};

void PrintTo(const BadBaseline& c, std::ostream* out) { *out << c.label; }

class ParseBadBaseline : public testing::TestWithParam<BadBaseline> {};

TEST_P(ParseBadBaseline, ThrowsAnErrorThatSaysWhatIsWrong) {
  EXPECT_THAT(ParseError(GetParam().bytes), HasSubstr(GetParam().reason));
}

std::string Utf16WithoutMark(const std::string& utf8) { return Utf16(utf8, false).substr(2); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseBadBaseline,
    testing::Values(
        BadBaseline{"Empty", "", L"The baseline is empty"},
        BadBaseline{"Blank", " \r\n", L"The baseline is empty"},
        BadBaseline{"Utf16WithoutMark", Utf16WithoutMark(kJson), L"NUL bytes"},
        BadBaseline{"Utf16Truncated", Utf16(kJson, false).substr(0, 9), L"truncated"},
        BadBaseline{"NotUtf8", "FILE|\xC0\xAF|C:\\a.lnk\r\n", L"not UTF-8"},
        BadBaseline{"LineWithoutBar", "SCHE|Nightly|\\Nightly\r\nNightly\r\n", L"Line 2 of the baseline has no \"|\""},
        BadBaseline{"LineWithOneBar", "SCHE|\\Nightly\r\n", L"Line 1 of the baseline has one \"|\", not two"},
        BadBaseline{"SavedListTruncated", "SCHE|Nightly|\\Nightly\r\nSCHE|Wee", L"truncated"},
        BadBaseline{"JsonTruncated", std::string(kJson).substr(0, 60), L"not a complete JSON document (truncated?)"},
        BadBaseline{"JsonObject", "{\"from\":\"FILE\"}", L"not the array that list --json writes"},
        BadBaseline{"JsonEntryNotAnObject", "[1]", L"Entry 1 of the baseline is not an object"},
        BadBaseline{"JsonEntryWithoutTarget",
                    "[{\"from\":\"FILE\",\"caption\":\"a\",\"target\":\"C:\\\\a.lnk\",\"rawData\":\"\","
                    "\"enabled\":true},"
                    "{\"from\":\"FILE\",\"caption\":\"b\",\"rawData\":\"\",\"enabled\":true}]",
                    L"Entry 2 of the baseline has no text \"target\""},
        BadBaseline{"JsonEntryWithoutState",
                    "[{\"from\":\"FILE\",\"caption\":\"a\",\"target\":\"C:\\\\a.lnk\",\"rawData\":\"\",\"enabled\":1}]",
                    L"Entry 1 of the baseline has no true or false \"enabled\""}),
    [](const testing::TestParamInfo<BadBaseline>& c) { return c.param.label; });

TAutorunInfo Entry(const std::wstring& from, const std::wstring& target, bool enabled, const std::wstring& rawData) {
  TAutorunInfo entry;
  entry.From = from;
  entry.Caption = target.substr(target.rfind(L'\\') + 1);
  entry.Target = target;
  entry.RawData = rawData;
  entry.Enabled = enabled;
  return entry;
}

TEST(DiffCatalogue, FindsAddedRemovedSwitchedAndNewCommandsByTagInAnyCaseAndExactTarget) {
  const AutorunList before = {Entry(L"HKCU", L"HKCU\\Run\\Same", true, L"same.exe"),
                              Entry(L"HKCU", L"HKCU\\Run\\Off", true, L"off.exe"),
                              Entry(L"HKLM", L"HKLM\\Run\\Gone", true, L"gone.exe"),
                              Entry(L"HKLM", L"HKLM\\Run\\Both", false, L"old.exe"),
                              Entry(L"SERV", L"svc", true, L"svc.exe")};
  Baseline baseline = BaselineOf(before);
  baseline[0].from = L"hkcu";
  const AutorunList now = {Entry(L"HKCU", L"HKCU\\Run\\Same", true, L"same.exe"),
                           Entry(L"HKCU", L"HKCU\\Run\\New", true, L"new.exe"),
                           Entry(L"HKCU", L"HKCU\\Run\\Off", false, L"off.exe"),
                           Entry(L"HKLM", L"HKLM\\Run\\Both", true, L"new.exe"),
                           Entry(L"SERV", L"SVC", true, L"svc.exe")};
  const CatalogueDiff diff = DiffCatalogue(baseline, now);
  EXPECT_EQ(FormatDiffTable(diff),
              (L"Change                    Source  Caption  Target\r\n"
                          L"added                     HKCU    New      HKCU\\Run\\New\r\n"
                          L"added                     SERV    SVC      SVC\r\n"
                          L"removed                   HKLM    Gone     HKLM\\Run\\Gone\r\n"
                          L"removed                   SERV    svc      svc\r\n"
                          L"switched off              HKCU    Off      HKCU\\Run\\Off\r\n"
                          L"switched on, new command  HKLM    Both     HKLM\\Run\\Both\r\n"));
  EXPECT_TRUE(DiffCatalogue(BaselineOf(now), now).Empty());
  EXPECT_EQ(FormatDiffTable(DiffCatalogue(BaselineOf(now), now)), L"");

  // A saved list knows neither state nor command: only additions and removals count.
  Baseline savedList = BaselineOf(before);
  for (BaselineEntry& entry : savedList) entry.enabled.reset(), entry.rawData.reset();
  const CatalogueDiff savedDiff = DiffCatalogue(savedList, now);
  EXPECT_EQ(savedDiff.added.size(), 2u);
  EXPECT_EQ(savedDiff.removed.size(), 2u);
  EXPECT_TRUE(savedDiff.changed.empty());
}

TEST(DiffCatalogue, PairsAnEntryListedTwiceOnceForEachListing) {
  const AutorunList twice = {Entry(L"SCHE", L"\\T", true, L""), Entry(L"SCHE", L"\\T", false, L"")};
  EXPECT_TRUE(DiffCatalogue(BaselineOf(twice), twice).Empty());
  const CatalogueDiff diff = DiffCatalogue(BaselineOf(twice), {twice[0]});
  ASSERT_EQ(diff.removed.size(), 1u);
  EXPECT_EQ(diff.removed[0].enabled, false);
}

TEST(FormatDiffJson, HoldsTheThreeListsWithBeforeAndAfterOfEachChange) {
  const AutorunList before = {Entry(L"HKCU", L"HKCU\\Run\\Off", true, L"off.exe"),
                              Entry(L"HKLM", L"HKLM\\Run\\Gone", true, L"gone.exe")};
  const AutorunList now = {Entry(L"HKCU", L"HKCU\\Run\\Off", false, L"off2.exe")};
  const auto json = nlohmann::json::parse(ToUtf8(FormatDiffJson(DiffCatalogue(BaselineOf(before), now))));
  EXPECT_EQ(json["added"], nlohmann::json::array());
  EXPECT_EQ(json["removed"], nlohmann::json::parse(R"([{"from":"HKLM","caption":"Gone","target":"HKLM\\Run\\Gone",
                                                         "rawData":"gone.exe","enabled":true}])"));
  EXPECT_EQ(json["changed"], nlohmann::json::parse(R"([{"from":"HKCU","caption":"Off","target":"HKCU\\Run\\Off",
      "before":{"enabled":true,"rawData":"off.exe"},"after":{"enabled":false,"rawData":"off2.exe"}}])"));
}

// A baseline of 100,000 entries against a catalogue that holds the last of them.
TEST(DiffCatalogue, CopesWithAHundredThousandEntries) {
  std::string json = "\xEF\xBB\xBF[";
  for (int i = 0; i < 100000; ++i) {
    json += (i ? ",\r\n" : "\r\n");
    json += R"({"from":"HKCU","caption":"v)" + std::to_string(i) + R"(","target":"HKCU\\Run\\v)" + std::to_string(i) +
            R"(","rawData":"x.exe","enabled":true})";
  }
  json += "\r\n]\r\n";
  const Baseline baseline = ParseBaseline(json);
  ASSERT_EQ(baseline.size(), 100000u);
  const CatalogueDiff diff = DiffCatalogue(baseline, {Entry(L"HKCU", L"HKCU\\Run\\v99999", true, L"x.exe")});
  EXPECT_TRUE(diff.added.empty());
  EXPECT_EQ(diff.removed.size(), 99999u);
  EXPECT_EQ(diff.removed.back().target, L"HKCU\\Run\\v99998");
}

}  // namespace
}  // namespace quorvane
