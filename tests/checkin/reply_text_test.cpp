#include "checkin/reply_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

struct ExtractCase {
  std::wstring source;
  std::wstring startTag;
  std::wstring endTag;
  std::wstring value;
};

void PrintTo(const ExtractCase& c, std::ostream* out) {
  *out << testing::PrintToString(c.source) << " between " << testing::PrintToString(c.startTag) << " and "
       << testing::PrintToString(c.endTag);
}

class ExtractBetweenCases : public testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractBetweenCases, FindsTheValue) {
  const ExtractCase& c = GetParam();
  EXPECT_EQ(ExtractBetween(c.source, c.startTag, c.endTag), c.value);
}

const std::wstring kUpdate = L"\"update\":\"";
const std::wstring kQuote = L"\"";

INSTANTIATE_TEST_SUITE_P(
    ReplyKeys, ExtractBetweenCases,
    testing::Values(
        ExtractCase{L"{\"update\":\"https://example.com/q.exe\",\"notify\":\"\"}", kUpdate, kQuote,
                    L"https://example.com/q.exe"},
        ExtractCase{L"{\"notify\":\"\"}", L"\"notify\":\"", kQuote, L""},
        // A blank between the colon and the quote hides the key.
        ExtractCase{L"{\"update\": \"https://example.com\"}", kUpdate, kQuote, L""},
        // Keys are found in any ASCII letter case; the value keeps its own.
        ExtractCase{L"{\"UPDATE\":\"HTTPS://Example.com\"}", kUpdate, kQuote, L"HTTPS://Example.com"},
        // Only the ASCII letters fold.
        ExtractCase{L"{\"\u00C9T\u00C9\":\"x\"}", L"\"\u00E9t\u00E9\":\"", kQuote, L""},
        // An escaped quote does not end the value.
        ExtractCase{L"{\"update\":\"a\\\"b\"}", kUpdate, kQuote, L"a\\\"b"},
        ExtractCase{L"{\"update\":\"a\\\"\"}", kUpdate, kQuote, L"a\\\""},
        // A value that ends in an escaped backslash runs on to the next unescaped quote.
        ExtractCase{L"{\"update\":\"a\\\\\",\"notify\":\"n\"}", kUpdate, kQuote, L"a\\\\\","},
        // An apostrophe as end tag is escaped the same way; a two-quote end tag is not.
        ExtractCase{L"k='it\\'s' x", L"k='", L"'", L"it\\'s"}, ExtractCase{L"a\\\"\"b", L"a", L"\"\"", L"\\"},
        // Masked quotes cannot start a key either.
        ExtractCase{L"\"x\":\"\\\"update\\\":\\\"inner\\\"\"", kUpdate, kQuote, L""},
        // A missing closing quote makes the key absent.
        ExtractCase{L"{\"update\":\"https://example.com", kUpdate, kQuote, L""},
        // The first occurrence wins, even inside another object or a string.
        ExtractCase{L"{\"info\":{\"update\":\"nested\"},\"update\":\"top\"}", kUpdate, kQuote, L"nested"},
        ExtractCase{L"{\"text\":\"say \\\"update\\\":\\\"no\\\"\",\"update\":\"yes\"}", kUpdate, kQuote, L"yes"},
        // "info" runs to the first closing brace, so a brace in a member cuts it.
        ExtractCase{L"{\"info\":{\"text\":\"a}b\",\"url\":\"u\"}}", L"\"info\":{", L"}", L"\"text\":\"a"},
        ExtractCase{L"{\"info\":{\"style\":\"note\",\"url\":\"u\"}}", L"\"info\":{", L"}",
                    L"\"style\":\"note\",\"url\":\"u\""},
        // An HTML error page holds none of the keys.
        ExtractCase{L"<!DOCTYPE html><html><head><title>502 Bad Gateway</title></head>"
                    L"<body><h1 class=\"update\">Bad Gateway</h1></body></html>",
                    kUpdate, kQuote, L""},
        ExtractCase{L"<html><body onload=\"go('x')\">\"update\":\"<b>\"</b></body></html>", kUpdate, kQuote, L"<b>"},
        ExtractCase{L"", kUpdate, kQuote, L""}));

INSTANTIATE_TEST_SUITE_P(Tags, ExtractBetweenCases,
                         testing::Values(
                             // Tags at the very start and the very end of the source.
                             ExtractCase{L"<a>x</a>", L"<a>", L"</a>", L"x"},
                             ExtractCase{L"<a></a>", L"<a>", L"</a>", L""}, ExtractCase{L"<a>", L"<a>", L"", L""},
                             ExtractCase{L"x</a>", L"", L"</a>", L"x"},
                             // Empty tags stand for the start and the end of the source.
                             ExtractCase{L"abc\"def", L"", kQuote, L"abc"}, ExtractCase{L"k=v", L"k=", L"", L"v"},
                             ExtractCase{L"whole", L"", L"", L"whole"}, ExtractCase{L"", L"", L"", L""},
                             // A missing tag gives nothing.
                             ExtractCase{L"abc", L"x", L"", L""}, ExtractCase{L"abc", L"a", L"x", L""},
                             ExtractCase{L"ab", L"abc", L"", L""},
                             // The end tag is looked for only after the start tag, never overlapping it.
                             ExtractCase{L"aba", L"ab", L"ba", L""}, ExtractCase{L"abaxba", L"ab", L"ba", L"ax"},
                             ExtractCase{L"abab", L"abab", L"ab", L""}, ExtractCase{L"xx", L"x", L"x", L""},
                             ExtractCase{L"''", L"'", L"'", L""}, ExtractCase{L"x=1;x=2;", L"X=", L";", L"1"}));

TEST(ExtractBetween, FindsAKeyAtTheEndOfAMegabyteReply) {
  std::wstring reply = L"{\"filler\":\"" + std::wstring(1 << 20, L'a') + L"\",";
  EXPECT_EQ(ExtractBetween(reply + L"\"update\":\"", kUpdate, kQuote), L"");
  EXPECT_EQ(ExtractBetween(reply + L"\"update\":\"u\"}", kUpdate, kQuote), L"u");
  const std::wstring longValue(1 << 20, L'\\');
  // A megabyte of backslashes escapes the closing quote and the value stays open.
  EXPECT_EQ(ExtractBetween(kUpdate + longValue + L"\"", kUpdate, kQuote), L"");
  EXPECT_EQ(ExtractBetween(kUpdate + longValue + L"\"}", L"", L"}"), kUpdate + longValue + L"\"");
}

struct UnescapeCase {
  std::wstring value;
  std::wstring decoded;
};

void PrintTo(const UnescapeCase& c, std::ostream* out) { *out << testing::PrintToString(c.value); }

class JsonUnescapeCases : public testing::TestWithParam<UnescapeCase> {};

TEST_P(JsonUnescapeCases, Decodes) { EXPECT_EQ(JsonUnescape(GetParam().value), GetParam().decoded); }

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring text;
  for (const unsigned unit : units) text += static_cast<wchar_t>(unit);
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, JsonUnescapeCases,
    testing::Values(UnescapeCase{L"", L""}, UnescapeCase{L"plain text", L"plain text"}, UnescapeCase{L"\\\"", L"\""},
                    UnescapeCase{L"\\'", L"'"}, UnescapeCase{L"\\/", L"/"}, UnescapeCase{L"\\\\", L"\\"},
                    UnescapeCase{L"\\b", L"\b"}, UnescapeCase{L"\\f", L"\f"}, UnescapeCase{L"\\n", L"\n"},
                    UnescapeCase{L"\\r", L"\r"}, UnescapeCase{L"\\t", L"\t"},
                    UnescapeCase{L"https:\\/\\/example.com\\/a?b=\\\"c\\\"", L"https://example.com/a?b=\"c\""},
                    // An escaped backslash does not escape what follows it.
                    UnescapeCase{L"\\\\n", L"\\n"}, UnescapeCase{L"\\\\\\n", L"\\\n"}, UnescapeCase{L"\\u0041", L"A"},
                    UnescapeCase{L"\\u00e9\\u00E9", L"\u00E9\u00E9"}, UnescapeCase{L"\\uAC00x", L"\uAC00x"},
                    UnescapeCase{L"\\u0000", Units({0})}, UnescapeCase{L"\\u12345", L"\u12345"}));

INSTANTIATE_TEST_SUITE_P(Malformed, JsonUnescapeCases,
                         testing::Values(
                             // Any other character after a backslash is dropped with it, upper-case letters too.
                             UnescapeCase{L"a\\qb", L"ab"}, UnescapeCase{L"\\N\\T\\B", L""},
                             UnescapeCase{L"\\x41", L"41"}, UnescapeCase{L"\\ a", L"a"}, UnescapeCase{L"\\\u00E9", L""},
                             // A trailing backslash is dropped.
                             UnescapeCase{L"abc\\", L"abc"}, UnescapeCase{L"\\", L""}, UnescapeCase{L"\\\\\\", L"\\"},
                             // "\u" without four hexadecimal digits: "\u" is dropped, what follows is ordinary text.
                             UnescapeCase{L"\\u", L""}, UnescapeCase{L"\\u1", L"1"}, UnescapeCase{L"\\u123", L"123"},
                             UnescapeCase{L"a\\u12G4b", L"a12G4b"}, UnescapeCase{L"\\u 123", L" 123"},
                             UnescapeCase{L"\\u-123", L"-123"}, UnescapeCase{L"\\u12\\n", L"12\n"},
                             UnescapeCase{L"\\u\\u0041", L"A"}, UnescapeCase{L"\\U0041", L"0041"},
                             // Fullwidth digits are no hexadecimal digits.
                             UnescapeCase{L"\\u\uFF10\uFF10\uFF14\uFF11", L"\uFF10\uFF10\uFF14\uFF11"}));

INSTANTIATE_TEST_SUITE_P(Surrogates, JsonUnescapeCases,
                         testing::Values(UnescapeCase{L"\\uD83D\\uDE00", Units({0xD83D, 0xDE00})},
                                         UnescapeCase{L"\\ud83d\\ude00!", Units({0xD83D, 0xDE00, '!'})},
                                         // Lone and reversed halves stay as the code units they are.
                                         UnescapeCase{L"\\uD83Dx", Units({0xD83D, 'x'})},
                                         UnescapeCase{L"\\uDE00", Units({0xDE00})},
                                         UnescapeCase{L"\\uDE00\\uD83D", Units({0xDE00, 0xD83D})},
                                         UnescapeCase{L"\\uD83D\\u", Units({0xD83D})}));

// The two steps by which the reply handling reads a reply: a decoded string member, and the
// undecoded members of an object, each found by its key in any ASCII case.
TEST(ReplyMembers, AreFoundByKeyAndStringsAreDecoded) {
  const std::wstring reply =
      L"{\"Update\":\"https:\\/\\/example.com\\/q?a=\\u0031\",\"INFO\":{\"text\":\"a\\\"b\",\"url\":\"u\"},\"x\":1}";
  EXPECT_EQ(ReplyString(reply, L"update"), L"https://example.com/q?a=1");
  EXPECT_EQ(ReplyObject(reply, L"info"), L"\"text\":\"a\\\"b\",\"url\":\"u\"");
  EXPECT_EQ(ReplyString(ReplyObject(reply, L"info"), L"text"), L"a\"b");
  // Absent keys, and a key whose value has another type, read as empty.
  EXPECT_EQ(ReplyString(reply, L"notify"), L"");
  EXPECT_EQ(ReplyString(reply, L"x"), L"");
  EXPECT_EQ(ReplyObject(reply, L"update"), L"");
}

}  // namespace
}  // namespace quorvane
