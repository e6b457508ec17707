#include "app/console/baseline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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
        BadBaseline{"Empty", "", L"The baseline is empty"}, BadBaseline{"Blank", " \r\n", L"The baseline is empty"},
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

}  // namespace
}  // namespace quorvane
