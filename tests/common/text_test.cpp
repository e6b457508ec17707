#include "common/text.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

TEST(Trim, RemovesBlanksAndControlCharactersOnBothEnds) {
  EXPECT_EQ(Trim(L" \t\r\n a b \x01\x1F "), L"a b");
  EXPECT_EQ(Trim(L"   "), L"");
  EXPECT_EQ(Trim(L""), L"");
  // Code 33 and above stay, the no-break space (160) among them.
  EXPECT_EQ(Trim(L"!x\u00A0"), L"!x\u00A0");
}

TEST(FileNamePart, TakesTheTextAfterTheLastBackslashOrColon) {
  EXPECT_EQ(FileNamePart(L"HKLM\\Software\\Run\\Updater"), L"Updater");
  EXPECT_EQ(FileNamePart(L"C:app.exe"), L"app.exe");
  EXPECT_EQ(FileNamePart(L"plain"), L"plain");
  EXPECT_EQ(FileNamePart(L"ends\\"), L"");
}

TEST(AsciiCase, OnlyTheAsciiLettersChange) {
  EXPECT_EQ(AsciiUpper(L"abz\u00E9\u0131"), L"ABZ\u00E9\u0131");
  EXPECT_EQ(AsciiLower(L"ABZ\u00C9"), L"abz\u00C9");
  EXPECT_TRUE(EqualsIgnoreAsciiCase(L"HkLm", L"hklm"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(L"\u00E9", L"\u00C9"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(L"hklm ", L"hklm"));
  EXPECT_EQ(FindIgnoreAsciiCase(L"C:\\Program Files (X86)", L" (x86)"), 16u);
  EXPECT_EQ(FindIgnoreAsciiCase(L"abc", L"d"), std::wstring_view::npos);
  EXPECT_TRUE(ContainsIgnoreAsciiCase(L"\\Software\\WOW6432NODE\\x", L"Wow6432Node"));
}

struct SplitCase {
  std::wstring text;
  std::vector<std::wstring> lines;
};

void PrintTo(const SplitCase& c, std::ostream* out) { *out << testing::PrintToString(c.text); }

class SplitLinesCases : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesCases, EndsLinesAtCrLfOrEitherAlone) { EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(LineEnds, SplitLinesCases,
                         testing::Values(SplitCase{L"", {}}, SplitCase{L"a", {L"a"}}, SplitCase{L"a\r\n", {L"a"}},
                                         SplitCase{L"a\r\nb", {L"a", L"b"}},
                                         SplitCase{L"a\nb\rc\r\nd", {L"a", L"b", L"c", L"d"}},
                                         // Only the break at the very end starts no line; every other one does.
                                         SplitCase{L"\r\n", {L""}}, SplitCase{L"a\n\n", {L"a", L""}},
                                         SplitCase{L"\n\nb", {L"", L"", L"b"}},
                                         // LF CR is two breaks, CR CR LF too.
                                         SplitCase{L"a\n\rb", {L"a", L"", L"b"}},
                                         SplitCase{L"a\r\r\nb", {L"a", L"", L"b"}}, SplitCase{L"x\r", {L"x"}}));

struct Utf8Case {
  const char* name;
  std::wstring wide;
  std::string utf8;
};

class Utf8RoundTrip : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8RoundTrip, ConvertsBothWays) {
  EXPECT_EQ(ToUtf8(GetParam().wide), GetParam().utf8);
  EXPECT_EQ(FromUtf8(GetParam().utf8), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(WellFormed, Utf8RoundTrip,
                         testing::Values(Utf8Case{"Empty", L"", ""}, Utf8Case{"Ascii", L"Run|x", "Run|x"},
                                         Utf8Case{"TwoBytes", L"\u00E9", "\xC3\xA9"},
                                         Utf8Case{"Korean", L"\uC804\uCCB4\uBAA9\uB85D",
                                                  "\xEC\xA0\x84\xEC\xB2\xB4\xEB\xAA\xA9\xEB\xA1\x9D"},
                                         Utf8Case{"SurrogatePair", L"\U0001F600", "\xF0\x9F\x98\x80"},
                                         Utf8Case{"EmbeddedNul", std::wstring(L"a\0b", 3), std::string("a\0b", 3)}),
                         [](const testing::TestParamInfo<Utf8Case>& testCase) { return testCase.param.name; });

TEST(Utf8, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(ToUtf8(std::wstring{L'a', static_cast<wchar_t>(0xD800), L'b'}),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(ToUtf8(std::wstring{static_cast<wchar_t>(0xDC00)}), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::wstring{static_cast<wchar_t>(0xD800)}), "\xEF\xBF\xBD");
}

TEST(Utf8, BrokenSequencesBecomeReplacementCharactersWithoutSwallowingWhatFollows) {
  const std::wstring replacement = L"\uFFFD";
  EXPECT_EQ(FromUtf8("\xFF"
                     "a"),
            replacement + L"a");
  EXPECT_EQ(FromUtf8("\xC3"), replacement);  // cut short at the end
  EXPECT_EQ(FromUtf8("\xE2\x82"
                     "a"),
            replacement + L"a");                                                 // cut short before an ASCII letter
  EXPECT_EQ(FromUtf8("\xC0\xAF"), replacement + replacement);                    // overlong
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), replacement + replacement + replacement);  // encoded surrogate
  EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), replacement + replacement + replacement + replacement);  // > U+10FFFF
}

}  // namespace
}  // namespace quorvane
