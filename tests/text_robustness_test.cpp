// Random and mutated inputs for the reply rules and the translation lookup, from a fixed seed
// so that a failure repeats. Each loop checks what must hold for every input.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/translation/translation_table.h"
#include "checkin/reply_text.h"
#include "common/text.h"

namespace quorvane {
namespace {

using namespace std::string_view_literals;

constexpr int kRounds = 20000;

class RandomText {
 public:
  explicit RandomText(std::uint32_t seed) : engine_(seed) {}

  std::size_t Below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_); }
  bool OneIn(std::size_t chances) { return Below(chances) == 0; }

  // Characters that the rules treat specially, mixed with ordinary ones, NUL, line breaks
  // and, now and then, any code unit at all (surrogate halves among them).
  wchar_t Character() {
    if (OneIn(16)) return static_cast<wchar_t>(Below(0x10000));
    return From(kAlphabet);
  }
  wchar_t From(std::wstring_view alphabet) { return alphabet[Below(alphabet.size())]; }

  std::wstring Text(std::size_t maxLength) {
    std::wstring text;
    const std::size_t length = Below(maxLength + 1);
    for (std::size_t i = 0; i < length; ++i) text += Character();
    return text;
  }
  // A text of the alphabet's characters only.
  std::wstring TextFrom(std::wstring_view alphabet, std::size_t maxLength) {
    std::wstring text;
    const std::size_t length = Below(maxLength + 1);
    for (std::size_t i = 0; i < length; ++i) text += From(alphabet);
    return text;
  }

  // Deletes, inserts, duplicates or flips the case of a few characters.
  std::wstring Mutated(std::wstring text) {
    const std::size_t edits = 1 + Below(4);
    for (std::size_t i = 0; i < edits; ++i) {
      const std::size_t at = Below(text.size() + 1);
      switch (Below(4)) {
        case 0:
          if (at < text.size()) text.erase(at, 1 + Below(3));
          break;
        case 1:
          text.insert(at, 1, Character());
          break;
        case 2:
          if (at < text.size()) text.insert(at, text.substr(at, 1 + Below(8)));
          break;
        default:
          if (at < text.size()) text[at] = static_cast<wchar_t>(text[at] ^ 0x20);
          break;
      }
    }
    return text;
  }

  static constexpr std::wstring_view kAlphabet =
      L"\\\\\\\"\"''//{}:=,unrtbfUN0123456789abcdefABCDEF xyz\u00E9\u00C9\uD558\uB098\r\n\t\0"sv;

 private:
  std::mt19937 engine_;
};

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
  const std::wstring reply = L"{\"update\":\"https:\\/\\/example.com\\/q.exe\",\"info\":{\"style\":\"hold\","
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

std::wstring TextOfLine(const std::wstring& line) {
  const auto equals = line.find(L'=');
  return equals == std::wstring::npos ? std::wstring() : line.substr(equals + 1);
}

TEST(Robustness, TranslateGivesTheSourceOrATextOfTheTable) {
  RandomText random(17);
  const std::wstring seedTable = L"ko=\uD558\uB098\r\nen=One\r\nja=\\n\r\n\r\nko=\uB458\nen=Two=2\n\nbare\nen=x";
  constexpr std::wstring_view kTableAlphabet = L"=\r\n\\nkoenjaOTw\uD558\uB098 ";
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring text = random.OneIn(2) ? random.Mutated(seedTable) : random.TextFrom(kTableAlphabet, 40);
    const TranslationTable table(SplitLines(text));
    const std::wstring source = random.OneIn(2) ? random.TextFrom(kTableAlphabet, 6) : TextOfLine(
        table.Lines().empty() ? std::wstring() : table.Lines()[random.Below(table.Lines().size())]);
    const std::wstring language = random.OneIn(3) ? L"en" : random.TextFrom(L"koenjaKOEN=", 2);
    const std::wstring translation = table.Translate(source, language);
    bool fromTable = false;
    for (const std::wstring& line : table.Lines()) fromTable |= translation == ReplaceLineBreakEscapes(TextOfLine(line));
    ASSERT_TRUE(translation == ReplaceLineBreakEscapes(source) || fromTable)
        << testing::PrintToString(text) << " " << testing::PrintToString(source);
  }
}

}  // namespace
}  // namespace quorvane
