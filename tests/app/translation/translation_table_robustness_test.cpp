// Random and mutated tables and texts for the translation lookup, from a fixed seed so that a
// failure repeats. The loop checks what must hold for every input.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/translation/translation_table.h"
#include "common/text.h"
#include "support/random_text.h"

namespace quorvane {
namespace {

using namespace std::string_view_literals;
using test::kRounds;
using test::RandomText;

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
    const std::wstring source =
        random.OneIn(2)
            ? random.TextFrom(kTableAlphabet, 6)
            : TextOfLine(table.Lines().empty() ? std::wstring() : table.Lines()[random.Below(table.Lines().size())]);
    const std::wstring language = random.OneIn(3) ? L"en" : random.TextFrom(L"koenjaKOEN=", 2);
    const std::wstring translation = table.Translate(source, language);
    bool fromTable = false;
    for (const std::wstring& line : table.Lines())
      fromTable |= translation == ReplaceLineBreakEscapes(TextOfLine(line));
    ASSERT_TRUE(translation == ReplaceLineBreakEscapes(source) || fromTable)
        << testing::PrintToString(text) << " " << testing::PrintToString(source);
  }
}

}  // namespace
}  // namespace quorvane
