// Random and mutated inputs for the reply rules, from a fixed seed so that a failure repeats.
// Each loop checks what must hold for every input.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "checkin/reply_text.h"
#include "common/text.h"
#include "support/random_text.h"

namespace quorvane {
namespace {

using namespace std::string_view_literals;
using test::kRounds;
using test::RandomText;

// Writes a value the way a JSON encoder may: escapes where they are needed and, at random,
// where they are not, with hexadecimal digits in either case.
std::wstring JsonEscape(std::wstring_view value, RandomText& random) {
  static constexpr std::wstring_view kHex = L"0123456789abcdef";
  std::wstring escaped;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const wchar_t c = value[i];
    // An escaped backslash right before the closing quote would escape that quote.
    const bool lastBackslash = c == L'\\' && i + 1 == value.size();
    if (c < 0x20 || random.OneIn(8) || lastBackslash) {
      escaped += L"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) {
        const wchar_t digit = kHex[(static_cast<unsigned>(c) >> shift) & 0xF];
        escaped += random.OneIn(2) && digit >= L'a' ? static_cast<wchar_t>(digit - L'a' + L'A') : digit;
      }
    } else if (c == L'"' || c == L'\\' || (c == L'/' && random.OneIn(2))) {
      escaped += L'\\';
      escaped += c;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

TEST(Robustness, ExtractBetweenGivesAPieceOfTheSource) {
  RandomText random(20240611);
  const std::wstring reply =
      L"{\"update\":\"https:\\/\\/example.com\\/q.exe\",\"info\":{\"style\":\"hold\","
      L"\"text\":\"a \\\"b\\\"\"},\"name_white\":[\"x\"]}";
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring source = random.OneIn(2) ? random.Text(64) : random.Mutated(reply);
    const std::wstring startTag = random.OneIn(4) ? L"\"update\":\"" : random.Text(3);
    const std::wstring endTag = random.OneIn(2) ? L"\"" : random.Text(2);
    const std::wstring value = ExtractBetween(source, startTag, endTag);
    ASSERT_LE(value.size(), source.size());
    ASSERT_NE(source.find(value), std::wstring::npos) << testing::PrintToString(source);
  }
}

TEST(Robustness, ExtractBetweenFindsWhatWasPutBetweenItsTags) {
  RandomText random(7);
  const std::wstring startTag = L"<Key>";
  const std::wstring endTag = L"</Key>";
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring before = random.Text(16);
    const std::wstring value = random.Text(32);
    const std::wstring source = before + startTag + value + endTag + random.Text(16);
    // Random text that holds a tag itself is no case for this test.
    if (AsciiUpper(source).find(AsciiUpper(startTag)) != before.size()) continue;
    if (AsciiUpper(value).find(AsciiUpper(endTag)) != std::wstring::npos) continue;
    ASSERT_EQ(ExtractBetween(source, AsciiUpper(startTag), AsciiLower(endTag)), value)
        << testing::PrintToString(source);
  }
}

TEST(Robustness, AnEscapedValueComesBackFromTheReply) {
  RandomText random(11);
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring value = random.Text(24);
    // The text before the key holds no quote, so it cannot hold the key, and no backslash, which
    // would escape the key's first quote.
    const std::wstring before = random.TextFrom(L"{}[],: abc/", 16);
    const std::wstring key = random.OneIn(2) ? L"\"update\":\"" : L"\"UpDate\":\"";
    const std::wstring reply = before + key + JsonEscape(value, random) + L"\"" + random.Text(16);
    ASSERT_EQ(JsonUnescape(ExtractBetween(reply, L"\"update\":\"", L"\"")), value) << testing::PrintToString(reply);
  }
}

TEST(Robustness, JsonUnescapeNeverGrowsAndUndoesEscaping) {
  RandomText random(13);
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring text = random.OneIn(2) ? random.Text(40) : random.Mutated(L"a\\u00e9\\\"\\\\\\n\\uD83D\\uDE00");
    ASSERT_LE(JsonUnescape(text).size(), text.size()) << testing::PrintToString(text);
    const std::wstring value = random.Text(24);
    ASSERT_EQ(JsonUnescape(JsonEscape(value, random)), value);
  }
}

}  // namespace
}  // namespace quorvane
